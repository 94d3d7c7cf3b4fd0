#include "workspace/workspace.h"

#include "database/file_io.h"

namespace tavrino {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> joinNotes(std::optional<std::string> a, std::optional<std::string> b) {
    if (a && b) {
        return *a + " " + *b;
    }
    return a ? a : b;
}

} // namespace

OpenResult Workspace::adopt(ReceiverFiles next) {
    ServiceTable table =
        ServiceTable::build(next.channel, next.channelPath, next.providers, *codePage_);
    files_ = std::move(next);
    services_ = std::move(table);
    view_.reset(services_);
    savedRevision_ = revision_;
    return {OpenResult::Status::Opened, std::nullopt, std::nullopt};
}

OpenResult Workspace::openFolder(const fs::path& folder) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(folder);
        auto next = openFiles(files_, folder);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt, note};
        }
        OpenResult result = adopt(std::move(*next));
        result.note = note;
        return result;
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note};
    }
}

OpenResult Workspace::openStaged(const fs::path& folder) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(folder);
        OpenResult result = adopt(openStagedFiles(files_, folder));
        result.note = note;
        return result;
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note};
    }
}

OpenResult Workspace::loadSatelliteFiles(const fs::path& antennaPath, const fs::path& dvbsPath) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(antennaPath.parent_path());
        if (dvbsPath.parent_path() != antennaPath.parent_path()) {
            note = joinNotes(note, recoverInterruptedSave(dvbsPath.parent_path()));
        }
        auto next = tavrino::loadSatelliteFiles(files_, antennaPath, dvbsPath);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt, note};
        }
        files_.satelliteFiles = std::move(*next);
        return {OpenResult::Status::Opened, std::nullopt, note};
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note};
    }
}

// The recovery runs first on its own so that its note reaches the user even when the save
// itself then fails.
SaveResult Workspace::save(const fs::path& folder) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(folder);
        SavedFiles saved = saveFiles(files_, folder);
        savedRevision_ = revision_;
        return {std::move(saved.written), std::nullopt, joinNotes(note, saved.note)};
    } catch (const FileProblem& problem) {
        return {{}, problem, note};
    }
}

SaveResult Workspace::saveSatelliteFiles(const fs::path& folder) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(folder);
        SavedFiles saved = writeSatelliteFiles(files_, folder);
        return {std::move(saved.written), std::nullopt, joinNotes(note, saved.note)};
    } catch (const FileProblem& problem) {
        return {{}, problem, note};
    }
}

void Workspace::refreshBouquets() {
    files_.bouquets = decodeBouquets(files_.channel, files_.channelPath);
}

const std::string* Workspace::rawSatelliteName(int satIndex) const {
    if (const std::string* name = services_.blockNameForSatIndex(satIndex)) {
        return name;
    }
    const auto& satellites = files_.satelliteFiles.satellites;
    if (satIndex >= 0 && static_cast<std::size_t>(satIndex) < satellites.size()) {
        return &satellites[static_cast<std::size_t>(satIndex)].name;
    }
    return nullptr;
}

std::string Workspace::satelliteName(int satIndex) const {
    const std::string* name = rawSatelliteName(satIndex);
    return name ? codePage_->toUtf8(*name) : std::string();
}

} // namespace tavrino
