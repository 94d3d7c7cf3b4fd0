#include "document/document.h"

namespace tavrino {

Document::Document(Prompter& prompter, const CodePage& codePage)
    : prompter_(prompter), workspace_(codePage), bouquets_(workspace_, prompter) {
    // First of the listeners, so the ids are in step before anyone reads them.
    workspace_.listen([this](const Change& change) { recordsMoved(change); });
}

void Document::recordsMoved(const Change& change) {
    if (change.databaseReplaced || change.undoOrRedo()) {
        bouquets_.databaseReplaced();
    }
}

OpenResult Document::openFolder(const std::filesystem::path& folder) {
    return workspace_.openFolder(folder);
}

OpenResult Document::adoptStaged(StagedFiles staged) {
    return workspace_.adoptStaged(std::move(staged));
}

OpenResult Document::loadSatelliteFiles(const std::filesystem::path& antennaPath,
                                        const std::filesystem::path& dvbsPath) {
    return workspace_.loadSatelliteFiles(antennaPath, dvbsPath);
}

SaveResult Document::save(SaveScope scope, const std::filesystem::path& folder,
                          const SaveOptions& options, Prompter& prompter) {
    return saveFolder(workspace_, scope, folder, options, prompter);
}

bool Document::changeFlags(std::span<const std::uint32_t> rows, FlagCommand command) {
    if (rows.empty()) {
        return false;
    }
    const std::uint64_t before = workspace_.history().lastDone();
    {
        const FlagBitChange f = flagBitChange(command);
        const auto step = workspace_.beginEdit(flagCommandName(f.bit, f.set, rows.size()));
        ImageEditor editor = workspace_.channelEditor();
        changeFlagBit(editor, workspace_.services(), rows, f.bit, f.set);
        workspace_.servicesInStep({rows.begin(), rows.end()});
    }
    return workspace_.history().lastDone() != before;
}

ServiceEditResult Document::editService(const ServiceForm& opened, const ServiceForm& edited) {
    return tavrino::editService(workspace_, opened, edited);
}

SatelliteChange Document::addSatellite(const SatelliteForm& form) {
    return tavrino::addSatellite(workspace_, form);
}

SatelliteChange Document::updateSatellite(const SatelliteForm& opened,
                                          const SatelliteForm& edited) {
    return tavrino::updateSatellite(workspace_, opened, edited);
}

SatelliteChange Document::deleteSatellite(int index) {
    return tavrino::deleteSatellite(workspace_, index, prompter_);
}

TransponderChange Document::addTransponder(int satellite, const TransponderForm& form) {
    return tavrino::addTransponder(workspace_, satellite, form);
}

TransponderChange Document::updateTransponder(int satellite, int transponder,
                                              const TransponderForm& opened,
                                              const TransponderForm& edited) {
    return tavrino::updateTransponder(workspace_, satellite, transponder, opened, edited);
}

TransponderChange Document::deleteTransponder(int satellite, int transponder) {
    return tavrino::deleteTransponder(workspace_, satellite, transponder);
}

ImportResult Document::importSatellites(const ImportedList& list, const ImportChoice& choice) {
    return applyImport(workspace_, list, choice);
}

ApplyPlan Document::planApply(const ReferenceList& list, bool replaceAll) const {
    return tavrino::planApply(workspace_, bouquets_, list, replaceAll);
}

std::vector<int> Document::applyPlan(const ApplyPlan& plan) {
    return tavrino::applyPlan(workspace_, bouquets_, plan);
}

} // namespace tavrino
