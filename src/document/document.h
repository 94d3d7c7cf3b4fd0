#pragma once

#include "bouquets/bouquet_editor.h"
#include "import/satellite_import.h"
#include "reference/bouquet_apply.h"
#include "satellites/satellite_editor.h"
#include "satellites/transponder_editor.h"
#include "services/flag_edit.h"
#include "workspace/service_edit.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrino {

// One open database and everything that may change it: the workspace (images, tables, history)
// and the bouquet editor with its two clipboards. The window and the command line change data
// only through its operations; whatever a step changed reaches the listeners once, when the
// step closes (Workspace::listen), and an operation's return value says only what to select.
class Document {
public:
    // Questions and limit messages of the operations go through `prompter`.
    explicit Document(Prompter& prompter, const CodePage& codePage = CodePage::windows1252());
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const Workspace& workspace() const { return workspace_; }
    // For the core's own functions that take the workspace (the command line, tests).
    Workspace& workspace() { return workspace_; }
    const BouquetEditor& bouquets() const { return bouquets_; }
    // Bouquet list and contents operations, and the clipboards they share.
    BouquetEditor& bouquets() { return bouquets_; }
    // Which services are shown and in which order: no part of the files.
    ServiceView& view() { return workspace_.view(); }

    std::size_t listen(ChangeListener listener) { return workspace_.listen(std::move(listener)); }
    void stopListening(std::size_t id) { workspace_.stopListening(id); }

    OpenResult openFolder(const std::filesystem::path& folder);
    OpenResult adoptStaged(StagedFiles staged);
    OpenResult loadSatelliteFiles(const std::filesystem::path& antennaPath,
                                  const std::filesystem::path& dvbsPath);
    // The save policy (saveFolder), asking its questions through `prompter`.
    SaveResult save(SaveScope scope, const std::filesystem::path& folder,
                    const SaveOptions& options, Prompter& prompter);
    std::optional<Change> undo() { return workspace_.undo(); }
    std::optional<Change> redo() { return workspace_.redo(); }

    // One flag command over these service-table rows, as one step named as the Edit menu shows
    // it ("LOCK 2 Services"); false when no byte changed.
    bool changeFlags(std::span<const std::uint32_t> rows, FlagCommand command);
    ServiceEditResult editService(const ServiceForm& opened, const ServiceForm& edited);

    SatelliteChange addSatellite(const SatelliteForm& form);
    SatelliteChange updateSatellite(const SatelliteForm& opened, const SatelliteForm& edited);
    SatelliteChange deleteSatellite(int index);
    TransponderChange addTransponder(int satellite, const TransponderForm& form);
    TransponderChange updateTransponder(int satellite, int transponder,
                                        const TransponderForm& opened,
                                        const TransponderForm& edited);
    TransponderChange deleteTransponder(int satellite, int transponder);

    ImportResult importSatellites(const ImportedList& list, const ImportChoice& choice);

    ApplyPlan planApply(const ReferenceList& list, bool replaceAll) const;
    // Lays the bouquets out as the plan says, as one step; returns the records written.
    std::vector<int> applyPlan(const ApplyPlan& plan);

private:
    // Undo, redo and other files move bouquet records under the editor's ids.
    void recordsMoved(const Change& change);

    Prompter& prompter_;
    Workspace workspace_;
    BouquetEditor bouquets_;
};

} // namespace tavrino
