#include "workspace/workspace.h"

#include "database/file_io.h"
#include "database/layout.h"
#include "database/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <utility>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

Change databaseReplaced() {
    Change change;
    change.kind = Change::Kind::Open;
    change.databaseReplaced = true;
    return change;
}

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
    return {OpenResult::Status::Opened, std::nullopt, std::nullopt, std::nullopt};
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

OpenResult Workspace::openFolder(const fs::path& folder) {
    std::optional<std::string> note;
    OpenResult result;
    try {
        // Held while the files are read, so a save by another Tavrino is never read half-way.
        const auto lock = lockFolderForWriting(folder);
        note = recoverInterruptedSave(folder);
        auto next = openFiles(files_, folder);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt, note, std::nullopt};
        }
        result = adopt(std::move(*next));
        result.note = note;
        result.keptFromBefore = noteKeptFiles(folder);
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note, std::nullopt};
    }
    tell(databaseReplaced());
    return result;
}

OpenResult Workspace::openFolderReadOnly(const fs::path& folder) {
    try {
        const auto lock = lockFolderForWriting(folder); // a save there is read before or after
        refuseUnfinishedSave(folder);
        auto next = openFiles(ReceiverFiles{}, folder);
        if (!next) {
            return {OpenResult::Status::NothingToOpen, std::nullopt, std::nullopt, std::nullopt};
        }
        const OpenResult result = adopt(std::move(*next));
        keptFromBefore_.reset();
        tell(databaseReplaced());
        return result;
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, std::nullopt, std::nullopt};
    }
}

namespace {

// A satellite file the opened folder lacks, kept loaded from where it was read before.
struct KeptFile {
    std::string name;
    std::string what; // "satellites", "antenna settings"
    fs::path from;
};

// The last part of a folder's path ("R4"), short enough for the status bar.
std::string folderName(const fs::path& folder) {
    std::error_code error;
    fs::path full = fs::absolute(folder, error).lexically_normal();
    if (!full.has_filename()) {
        full = full.parent_path();
    }
    const std::string name = full.filename().string();
    return name.empty() ? full.string() : name;
}

// "R4 has no DVBS.dat; the satellites of R9 are still loaded and will be saved there". Whole
// paths only where the two names alone would read alike.
std::string keptSentence(const fs::path& folder, const std::vector<KeptFile>& kept) {
    const auto names = [&](const fs::path& from) {
        const bool alike = folderName(folder) == folderName(from);
        return std::pair{alike ? folder.string() : folderName(folder),
                         alike ? from.string() : folderName(from)};
    };
    const std::string tail = " are still loaded and will be saved there";
    if (kept.size() == 2 && kept[0].from == kept[1].from) {
        const auto [to, from] = names(kept[0].from);
        return to + " has no " + kept[0].name + " and no " + kept[1].name + "; the " +
               kept[0].what + " and " + kept[1].what + " of " + from + tail;
    }
    std::string text;
    for (const KeptFile& k : kept) {
        const auto [to, from] = names(k.from);
        text += (text.empty() ? "" : ". ") + to + " has no " + k.name + "; the " + k.what + " of " +
                from + tail;
    }
    return text;
}

bool absent(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

} // namespace

std::optional<std::string> Workspace::noteKeptFiles(const fs::path& folder) {
    const auto& sat = files_.satelliteFiles;
    std::vector<KeptFile> kept;
    for (const auto& [name, what, path, loaded] :
         {std::tuple{dvbsFileName, "satellites", sat.dvbsPath, sat.dvbs.loaded()},
          std::tuple{antennaFileName, "antenna settings", sat.antennaPath, sat.antenna.loaded()}}) {
        if (!absent(folder / name)) {
            continue;
        }
        keepStamp(stamps_, FileStamp{folder / name}); // a file put there later is a change
        if (loaded) {
            kept.push_back({name, what, posix::folderOf(path)});
        }
    }
    keptFromBefore_.reset();
    if (kept.empty()) {
        return std::nullopt;
    }
    keptFromBefore_.emplace(folder, keptSentence(folder, kept));
    return keptFromBefore_->second;
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
    keptFromBefore_.reset(); // a receive brings all three files
    tell(databaseReplaced());
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
            return {OpenResult::Status::NothingToOpen, std::nullopt, note, std::nullopt};
        }
        // A step of its own, so the steps before it never write into the files loaded now.
        closingAs_ = Change::Kind::Open;
        const auto step = beginEdit("Open Satellite Files");
        antennaEditor().replaceAll(std::move(next->antenna.bytes));
        dvbsEditor().replaceAll(std::move(next->dvbs.bytes));
        auto& sat = files_.satelliteFiles;
        sat.antennaPath = std::move(next->antennaPath);
        sat.dvbsPath = std::move(next->dvbsPath);
        sat.satellites = std::move(next->satellites);
        sat.antennaSettings = std::move(next->antennaSettings);
        inStep_.satellites = history_.openPatches(); // decoded already
        ++generation_;
        stampFiles();
        keptFromBefore_.reset(); // chosen by hand, not kept
        return {OpenResult::Status::Opened, std::nullopt, note, std::nullopt};
    } catch (const FileProblem& problem) {
        return {OpenResult::Status::Refused, problem, note, std::nullopt};
    }
}

void Workspace::refreshBouquets() {
    files_.bouquets = decodeBouquets(files_.channel, files_.channelPath);
    inStep_.bouquets = history_.openPatches();
}

void Workspace::refreshSatelliteFiles() {
    auto& sat = files_.satelliteFiles;
    const std::string dvbsPath = sat.dvbsPath.empty() ? dvbsFileName : sat.dvbsPath;
    const std::string antennaPath = sat.antennaPath.empty() ? antennaFileName : sat.antennaPath;
    sat.satellites = sat.dvbs.loaded() ? decodeTransponderFile(sat.dvbs, dvbsPath)
                                       : std::vector<DvbsSatellite>{};
    sat.antennaSettings =
        sat.antenna.loaded() ? decodeSatelliteFile(sat.antenna, antennaPath) : AntennaSettings{};
    inStep_.satellites = history_.openPatches();
}

void Workspace::servicesInStep(const std::vector<std::uint32_t>& rows) {
    inStep_.services = history_.openPatches();
    inStep_.serviceRows.insert(inStep_.serviceRows.end(), rows.begin(), rows.end());
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

Workspace::EditScope::EditScope(Workspace& workspace, const std::string& name)
    : workspace_(workspace), exceptionsBefore_(std::uncaught_exceptions()) {
    workspace_.history_.begin(name);
    if (workspace_.editDepth_++ == 0) {
        workspace_.stepBefore_ = workspace_.history_.lastDone();
        workspace_.inStep_ = {};
    }
}

Workspace::EditScope::~EditScope() noexcept(false) {
    if (std::uncaught_exceptions() == exceptionsBefore_) {
        workspace_.endEdit();
        return;
    }
    try {
        workspace_.endEdit();
    } catch (...) { // the exception under way says what went wrong first
    }
}

void Workspace::endEdit() {
    history_.end();
    if (--editDepth_ > 0) {
        return;
    }
    const InStep inStep = std::exchange(inStep_, {});
    const Change::Kind kind = std::exchange(closingAs_, Change::Kind::Edit);
    if (history_.lastDone() == stepBefore_) {
        return; // it wrote nothing, or only what was there
    }
    Change change = refreshAfter(*history_.lastStep(), inStep);
    change.kind = kind;
    tell(change);
}

std::size_t Workspace::listen(ChangeListener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void Workspace::stopListening(std::size_t id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Workspace::tell(const Change& change) {
    const auto listeners = listeners_; // a listener may come or go meanwhile
    for (const auto& [id, listener] : listeners) {
        listener(change);
    }
}

std::optional<Change> Workspace::undo() {
    const EditStep* step = history_.undo();
    if (!step) {
        return std::nullopt;
    }
    Change change = refreshAfter(*step, {});
    change.kind = Change::Kind::Undo;
    tell(change);
    return change;
}

std::optional<Change> Workspace::redo() {
    const EditStep* step = history_.redo();
    if (!step) {
        return std::nullopt;
    }
    Change change = refreshAfter(*step, {});
    change.kind = Change::Kind::Redo;
    tell(change);
    return change;
}

// Brings the tables in step with the bytes a step wrote or an undo or redo put back: only what
// the step touched, and nothing the operation brought in step itself (`inStep`).
Change Workspace::refreshAfter(const EditStep& step, const InStep& inStep) {
    namespace ch = layout::channel;
    Change change;
    change.name = step.name;
    std::set<int> records;
    std::set<std::uint32_t> flagRows;
    std::set<std::uint32_t> recordRows;
    bool bouquetsStale = false;
    bool satellitesStale = false;
    for (std::size_t i = 0; i < step.patches.size(); ++i) {
        const Patch& patch = step.patches[i];
        if (patch.image != ImageKind::Channel) {
            change.satellitesChanged = true;
            satellitesStale = satellitesStale || i >= inStep.satellites;
            continue;
        }
        const std::size_t at = patch.offset;
        if (patch.wholeImage || at + patch.size > ch::serviceTree) {
            if (i < inStep.services) {
                continue;
            }
            const auto row = patch.wholeImage ? std::nullopt : services_.rowContaining(at);
            const std::size_t record = row ? services_.row(*row).record.offset : 0;
            if (!row || at + patch.size > record + ch::service::size) {
                change.servicesRebuilt = true; // more than one record: read the tree again
            } else if (at >= record + ch::service::flags &&
                       at + patch.size <= record + ch::service::flags + 1) {
                flagRows.insert(static_cast<std::uint32_t>(*row));
            } else {
                recordRows.insert(static_cast<std::uint32_t>(*row));
            }
            continue;
        }
        change.bouquetsChanged = true;
        bouquetsStale = bouquetsStale || i >= inStep.bouquets;
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
    if (change.servicesRebuilt) {
        services_ =
            ServiceTable::build(files_.channel, files_.channelPath, files_.providers, *codePage_);
        view_.applyFilter(services_, view_.filter());
    } else {
        // A vector sorted once: a flag command over 30,000 rows names them all.
        std::vector<std::uint32_t> rows = inStep.serviceRows;
        for (const std::uint32_t row : flagRows) {
            const std::size_t at = services_.row(row).record.offset + ch::service::flags;
            services_.setFlags(row,
                               static_cast<std::uint16_t>(peekNumber(files_.channel.bytes, at, 2)));
            rows.push_back(row);
        }
        // A record edit keeps its FLAG, which comes from the records around it.
        for (const std::uint32_t row : rereadServices({recordRows.begin(), recordRows.end()})) {
            rows.push_back(row);
        }
        if (!std::is_sorted(rows.begin(), rows.end())) {
            std::sort(rows.begin(), rows.end());
        }
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        change.serviceRows = std::move(rows);
    }
    if (bouquetsStale) {
        refreshBouquets();
    }
    change.bouquetRecords.assign(records.begin(), records.end());
    if (satellitesStale) {
        refreshSatelliteFiles();
    }
    return change;
}

} // namespace tavrino
