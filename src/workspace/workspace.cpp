#include "workspace/workspace.h"

#include "database/backups.h"
#include "database/file_io.h"
#include "database/layout.h"

#include <algorithm>
#include <set>

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
    return adopt(std::move(next), std::move(table));
}

OpenResult Workspace::adopt(ReceiverFiles next, ServiceTable table) {
    files_ = std::move(next);
    services_ = std::move(table);
    view_.reset(services_);
    history_.clear();
    stamps_.clear(); // only the files of this open count
    stampFiles();
    ++generation_;
    return {OpenResult::Status::Opened, std::nullopt, std::nullopt};
}

void Workspace::stampFiles() {
    const auto& sat = files_.satelliteFiles;
    for (const std::string& path : {files_.channelPath, sat.antennaPath, sat.dvbsPath}) {
        if (!path.empty()) {
            if (auto stamp = stampOf(path)) {
                keepStamp(stamps_, std::move(*stamp));
            }
        }
    }
}

Notice changedOnDiskQuestion(const fs::path& folder) {
    return {"Confirm",
            "The files in " + folder.string() + " changed since they were opened. Overwrite them?",
            NoticeIcon::Question};
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

StagedFiles readStaged(const fs::path& folder, int targetVersion, const CodePage& codePage) {
    StagedFiles staged;
    try {
        staged.result.note = recoverInterruptedSave(folder);
        ReceiverFiles start;
        start.targetVersion = targetVersion; // the rest comes from the folder
        ReceiverFiles next = openStagedFiles(start, folder);
        staged.services =
            ServiceTable::build(next.channel, next.channelPath, next.providers, codePage);
        staged.files = std::move(next);
        staged.result.status = OpenResult::Status::Opened;
    } catch (const FileProblem& problem) {
        staged.result.status = OpenResult::Status::Refused;
        staged.result.problem = problem;
    }
    return staged;
}

OpenResult Workspace::openStaged(const fs::path& folder) {
    return adoptStaged(readStaged(folder, files_.targetVersion, *codePage_));
}

OpenResult Workspace::adoptStaged(StagedFiles staged) {
    if (!staged.result.opened() || !staged.files || !staged.services) {
        return staged.result;
    }
    // An open made while the receive ran may have raised it; it never goes down.
    staged.files->targetVersion = std::max(staged.files->targetVersion, files_.targetVersion);
    OpenResult result = adopt(std::move(*staged.files), std::move(*staged.services));
    result.note = staged.result.note;
    return result;
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
        // A step of its own, so the steps before it never write into the files loaded now.
        {
            const auto step = beginEdit("Open Satellite Files");
            antennaEditor().replaceAll(std::move(next->antenna.bytes));
            dvbsEditor().replaceAll(std::move(next->dvbs.bytes));
        }
        auto& sat = files_.satelliteFiles;
        sat.antennaPath = std::move(next->antennaPath);
        sat.dvbsPath = std::move(next->dvbsPath);
        sat.satellites = std::move(next->satellites);
        sat.antennaSettings = std::move(next->antennaSettings);
        ++generation_;
        stampFiles();
        return {OpenResult::Status::Opened, std::nullopt, note};
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note};
    }
}

// The recovery runs first on its own so that its note reaches the user even when the save
// itself then fails.
SaveResult Workspace::save(const fs::path& folder, const SaveOptions& options) {
    std::optional<std::string> note;
    std::optional<fs::path> backup;
    try {
        note = recoverInterruptedSave(folder);
        if (!options.overwriteChanged) {
            if (auto changed = changedSince(stamps_, folder); !changed.empty()) {
                return {{}, std::nullopt, note, std::move(changed), std::nullopt};
            }
        }
        if (options.backupsIn) {
            backup = backupBeforeSave(*options.backupsIn, filesToSave(files_, folder));
        }
        SavedFiles saved = saveFiles(files_, folder);
        history_.markSaved();
        if (options.backupsIn) {
            pruneBackups(*options.backupsIn, folder);
        }
        for (const auto& path : saved.written) {
            if (auto stamp = stampOf(path)) {
                keepStamp(stamps_, std::move(*stamp));
            }
        }
        return {std::move(saved.written), std::nullopt, joinNotes(note, saved.note), {}, backup};
    } catch (const FileProblem& problem) {
        if (backup) {
            discardBackup(*backup); // the files it holds are still the ones in the folder
        }
        return {{}, problem, note, {}, std::nullopt};
    }
}

SaveResult Workspace::saveSatelliteFiles(const fs::path& folder) {
    std::optional<std::string> note;
    try {
        note = recoverInterruptedSave(folder);
        SavedFiles saved = writeSatelliteFiles(files_, folder);
        return {
            std::move(saved.written), std::nullopt, joinNotes(note, saved.note), {}, std::nullopt};
    } catch (const FileProblem& problem) {
        return {{}, problem, note, {}, std::nullopt};
    }
}

void Workspace::refreshBouquets() {
    files_.bouquets = decodeBouquets(files_.channel, files_.channelPath);
}

void Workspace::refreshSatelliteFiles() {
    auto& sat = files_.satelliteFiles;
    const std::string dvbsPath = sat.dvbsPath.empty() ? dvbsFileName : sat.dvbsPath;
    const std::string antennaPath = sat.antennaPath.empty() ? antennaFileName : sat.antennaPath;
    sat.satellites = sat.dvbs.loaded() ? decodeTransponderFile(sat.dvbs, dvbsPath)
                                       : std::vector<DvbsSatellite>{};
    sat.antennaSettings =
        sat.antenna.loaded() ? decodeSatelliteFile(sat.antenna, antennaPath) : AntennaSettings{};
}

std::vector<std::uint32_t> Workspace::rereadServices(const std::vector<std::uint32_t>& rows) {
    const auto satelliteTable = [this](int satIndex) { return rawSatelliteName(satIndex); };
    std::set<std::uint32_t> changed;
    for (const std::uint32_t row : rows) {
        for (const std::uint32_t r :
             services_.rereadRow(row, files_.channel, files_.channelPath, satelliteTable)) {
            changed.insert(r);
        }
    }
    return {changed.begin(), changed.end()};
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

std::string countedName(const std::string& verb, std::size_t count, const std::string& noun) {
    return verb + " " + std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::optional<StepEffect> Workspace::undo() {
    const EditStep* step = history_.undo();
    return step ? std::optional<StepEffect>(refreshAfter(*step)) : std::nullopt;
}

std::optional<StepEffect> Workspace::redo() {
    const EditStep* step = history_.redo();
    return step ? std::optional<StepEffect>(refreshAfter(*step)) : std::nullopt;
}

// Brings the tables in step with bytes an undo or redo put back: only what the step touched.
StepEffect Workspace::refreshAfter(const EditStep& step) {
    namespace ch = layout::channel;
    StepEffect effect{step.name, {}, {}, false, false};
    std::set<int> records;
    std::set<std::uint32_t> flagRows;
    std::set<std::uint32_t> recordRows;
    bool bouquetArea = false;
    for (const Patch& patch : step.patches) {
        if (patch.image != ImageKind::Channel) {
            effect.satellitesChanged = true;
            continue;
        }
        const std::size_t at = patch.offset;
        if (patch.wholeImage || at + patch.size > ch::serviceTree) {
            const auto row = patch.wholeImage ? std::nullopt : services_.rowContaining(at);
            const std::size_t record = row ? services_.row(*row).record.offset : 0;
            if (!row || at + patch.size > record + ch::service::size) {
                effect.servicesRebuilt = true; // more than one record: read the tree again
            } else if (at >= record + ch::service::flags &&
                       at + patch.size <= record + ch::service::flags + 1) {
                flagRows.insert(static_cast<std::uint32_t>(*row));
            } else {
                recordRows.insert(static_cast<std::uint32_t>(*row));
            }
            continue;
        }
        bouquetArea = true;
        if (at >= ch::bouquets && at < ch::bouquets + ch::nameRecordSize * ch::bouquetCapacity) {
            const bool renumberedOnly =
                patch.size == 1 && (at - ch::bouquets) % ch::nameRecordSize == ch::nameRecordIndex;
            if (!renumberedOnly) {
                records.insert(static_cast<int>((at - ch::bouquets) / ch::nameRecordSize));
            }
        } else if (at >= ch::bouquetItems && at < ch::bouquetItemCounts) {
            records.insert(static_cast<int>((at - ch::bouquetItems) / ch::bouquetItemTableSize));
        } else if (at >= ch::bouquetItemCounts &&
                   at < ch::bouquetItemCounts + 2 * ch::bouquetCapacity) {
            records.insert(static_cast<int>((at - ch::bouquetItemCounts) / 2));
        }
    }
    if (effect.servicesRebuilt) {
        services_ =
            ServiceTable::build(files_.channel, files_.channelPath, files_.providers, *codePage_);
        view_.applyFilter(services_, view_.filter());
    } else {
        std::set<std::uint32_t> rows;
        for (const std::uint32_t row : flagRows) {
            const std::size_t at = services_.row(row).record.offset + ch::service::flags;
            services_.setFlags(row,
                               static_cast<std::uint16_t>(peekNumber(files_.channel.bytes, at, 2)));
            rows.insert(row);
        }
        // A record edit keeps its FLAG, which comes from the records around it.
        for (const std::uint32_t row : rereadServices({recordRows.begin(), recordRows.end()})) {
            rows.insert(row);
        }
        effect.serviceRows.assign(rows.begin(), rows.end());
    }
    if (bouquetArea) {
        refreshBouquets();
    }
    effect.bouquetRecords.assign(records.begin(), records.end());
    if (effect.satellitesChanged) {
        refreshSatelliteFiles();
    }
    return effect;
}

} // namespace tavrino
