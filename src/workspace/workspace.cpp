#include "workspace/workspace.h"

namespace tavrino {

OpenResult Workspace::adopt(ReceiverFiles next) {
    ServiceTable table =
        ServiceTable::build(next.channel, next.channelPath, next.providers, *codePage_);
    files_ = std::move(next);
    services_ = std::move(table);
    view_.reset(services_);
    savedRevision_ = revision_;
    return {OpenResult::Status::Opened, std::nullopt};
}

OpenResult Workspace::openFolder(const std::filesystem::path& folder) {
    try {
        auto next = openFiles(files_, folder);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt};
        }
        return adopt(std::move(*next));
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem};
    }
}

OpenResult Workspace::openStaged(const std::filesystem::path& folder) {
    try {
        return adopt(openStagedFiles(files_, folder));
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem};
    }
}

OpenResult Workspace::loadSatelliteFiles(const std::filesystem::path& antennaPath,
                                         const std::filesystem::path& dvbsPath) {
    try {
        auto next = tavrino::loadSatelliteFiles(files_, antennaPath, dvbsPath);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt};
        }
        files_.satelliteFiles = std::move(*next);
        return {OpenResult::Status::Opened, std::nullopt};
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem};
    }
}

SaveResult Workspace::save(const std::filesystem::path& folder) {
    try {
        SaveResult result{saveFiles(files_, folder), std::nullopt};
        savedRevision_ = revision_;
        return result;
    } catch (const FileProblem& problem) {
        return {{}, problem};
    }
}

SaveResult Workspace::saveSatelliteFiles(const std::filesystem::path& folder) {
    try {
        return {writeSatelliteFiles(files_, folder), std::nullopt};
    } catch (const FileProblem& problem) {
        return {{}, problem};
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
