#pragma once

#include "common/code_page.h"
#include "common/notice.h"
#include "database/edit_history.h"
#include "database/file_problem.h"
#include "database/file_stamp.h"
#include "database/image_editor.h"
#include "database/receiver_files.h"
#include "services/service_table.h"
#include "services/service_view.h"
#include "workspace/change.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavrino {

struct OpenResult {
    enum class Status { Opened, NothingToOpen, Refused };
    Status status = Status::NothingToOpen;
    std::optional<FileProblem> problem;
    // Set when a save to the folder had been cut short and was finished or undone first, or
    // temporaries it left were removed: one sentence to show the user, whatever the status.
    std::optional<std::string> note;
    // Set when the folder lacks DVBS.dat or antenna_list.dat and those of an earlier open
    // stay loaded: "R4 has no DVBS.dat; the satellites of R9 are still loaded and will be
    // saved there".
    std::optional<std::string> keptFromBefore;

    bool opened() const { return status == Status::Opened; }
};

// "Save Files" writes the three files; "Save : antenna_list.dat  &&  DVBS.dat" only those two.
enum class SaveScope { AllFiles, SatelliteFiles };

struct SaveOptions {
    // Where backups of the files a save replaces go (the data folder's backups/); none: no
    // backup.
    std::optional<std::filesystem::path> backupsIn;
    // Replace files that changed on disk since they were opened from that folder.
    bool overwriteChanged = false;
    // Replace files that are read-only.
    bool overwriteReadOnly = false;
};

struct SaveResult {
    std::vector<std::filesystem::path> written;
    std::optional<FileProblem> problem;
    std::optional<std::string> note; // as OpenResult::note, for the folder saved to
    // Files in the folder that changed since they were read from it (or appeared where the
    // open found none): nothing was written.
    std::vector<std::string> changedOnDisk;
    // Files in the folder that are read-only: nothing was written.
    std::vector<std::string> readOnly;
    std::optional<std::filesystem::path> backup; // where the replaced files were copied
    // OpenResult::keptFromBefore, once, on the first save into that folder.
    std::optional<std::string> keptFromBefore;

    bool ok() const { return !problem.has_value() && changedOnDisk.empty() && readOnly.empty(); }
};

// Staged files read and decoded apart from any workspace, ready to be swapped in.
struct StagedFiles {
    OpenResult result; // Opened when `files` and `services` hold the new state
    std::optional<ReceiverFiles> files;
    std::optional<ServiceTable> services;
};

// Reads the files fetched from the receiver into a fresh state. It touches no workspace, so a
// worker may run it while the window stays live; `targetVersion` is the workspace's, which an
// open carries on. Workspace::adoptStaged swaps the result in.
StagedFiles readStaged(const std::filesystem::path& folder, int targetVersion,
                       const CodePage& codePage);

// "The files in FOLDER changed since they were opened. Overwrite them?"
Notice changedOnDiskQuestion(const std::filesystem::path& folder);
// "DVBS.dat, antenna_list.dat in FOLDER are read-only. Replace them anyway?"
Notice readOnlyQuestion(const std::filesystem::path& folder, const std::vector<std::string>& names);

// Owns the three images, TargetVersion and every table derived from them. Opening reads and
// decodes into a fresh state that replaces the current one only when every step succeeded.
// Every edit goes through the edit history, which makes it undoable. Whenever a step closes (an
// edit, undo, redo, open or save) the tables are brought in step and the listeners told once
// what changed.
class Workspace {
public:
    explicit Workspace(const CodePage& codePage = CodePage::windows1252()) : codePage_(&codePage) {}
    Workspace(const Workspace&) = delete; // the history points into this object's images
    Workspace& operator=(const Workspace&) = delete;

    // Makes the edits until the scope ends one undoable step named `name`. Scopes nest; when
    // the outermost ends, the tables follow what the step wrote and the listeners hear of it.
    class EditScope {
    public:
        EditScope(Workspace& workspace, const std::string& name);
        // May throw what bringing the tables in step throws, unless an exception is under way.
        ~EditScope() noexcept(false);
        void rename(const std::string& name) { workspace_.history_.rename(name); }
        EditScope(const EditScope&) = delete;
        EditScope& operator=(const EditScope&) = delete;

    private:
        Workspace& workspace_;
        int exceptionsBefore_;
    };
    [[nodiscard]] EditScope beginEdit(const std::string& name) { return {*this, name}; }

    // Each listener hears of every step that closes, once, when the tables are in step.
    std::size_t listen(ChangeListener listener);
    void stopListening(std::size_t id);

    const EditHistory& history() const { return history_; }
    void setHistoryLimits(EditHistory::Limits limits) { history_.setLimits(limits); }
    std::optional<Change> undo();
    std::optional<Change> redo();

    // "Open Files". Waits a few seconds for a save another Tavrino is making there, so it
    // reads the files before or after that save, never half-way; refuses (FileProblem::Kind::
    // Busy) when the folder stays locked.
    OpenResult openFolder(const std::filesystem::path& folder);
    // The lists of `folder` only to look at, as a comparison does: nothing there is written,
    // not even to finish a save cut short (such a folder is refused), and no satellite file
    // stays from an earlier open.
    OpenResult openFolderReadOnly(const std::filesystem::path& folder);
    OpenResult openStaged(const std::filesystem::path& folder); // files fetched from the receiver
    // The second half of openStaged, for files read by readStaged.
    OpenResult adoptStaged(StagedFiles staged);
    // "Open : antenna_list.dat  &&  DVBS.dat": one undoable step, since the channel database
    // and its steps stay.
    OpenResult loadSatelliteFiles(const std::filesystem::path& antennaPath,
                                  const std::filesystem::path& dvbsPath);
    // One locked pass of the save policy (saveFolder below asks the questions): finishes a save
    // cut short, refuses symbolic links, stops before writing when files changed on disk or are
    // read-only (unless the options allow it), backs up what it replaces, writes all or
    // nothing and remembers what it wrote, so its own files never count as changed.
    SaveResult save(SaveScope scope, const std::filesystem::path& folder,
                    const SaveOptions& options = {});
    SaveResult save(const std::filesystem::path& folder, const SaveOptions& options = {}) {
        return save(SaveScope::AllFiles, folder, options);
    }
    SaveResult saveSatelliteFiles(const std::filesystem::path& folder,
                                  const SaveOptions& options = {}) {
        return save(SaveScope::SatelliteFiles, folder, options);
    }

    bool channelLoaded() const { return files_.channel.loaded(); }
    const ReceiverFiles& files() const { return files_; }
    const ServiceTable& services() const { return services_; }
    ServiceTable& services() { return services_; }
    const ServiceView& view() const { return view_; }
    ServiceView& view() { return view_; }
    const CodePage& codePage() const { return *codePage_; }

    // The one write path into each image.
    ImageEditor channelEditor() {
        return ImageEditor(files_.channel.bytes, ImageKind::Channel, history_);
    }
    ImageEditor antennaEditor() {
        return ImageEditor(files_.satelliteFiles.antenna.bytes, ImageKind::Antenna, history_);
    }
    ImageEditor dvbsEditor() {
        return ImageEditor(files_.satelliteFiles.dvbs.bytes, ImageKind::Dvbs, history_);
    }
    const Bytes& channelBytes() const { return files_.channel.bytes; }
    // Re-reads the bouquet names, for an operation that reads them again before its step
    // closes; the close then skips what this covered.
    void refreshBouquets();
    // Decodes antenna_list.dat and DVBS.dat again, as refreshBouquets; an empty image holds
    // nothing.
    void refreshSatelliteFiles();
    // Reads service rows again after their records were written; returns every row whose
    // cells changed.
    std::vector<std::uint32_t> rereadServices(const std::vector<std::uint32_t>& rows);
    // For an operation that wrote service records and brought their rows in step itself (the
    // flag commands): the close reads none of the records written so far again, and names
    // `rows` as changed.
    void servicesInStep(const std::vector<std::uint32_t>& rows);

    // Where the edits stand now, and whether nothing shown at `mark` has been taken away since
    // (no files opened, the step seen then not undone).
    EditMark mark() const { return {generation_, history_.lastDone()}; }
    bool stillAfter(const EditMark& mark) const {
        return mark.generation == generation_ && history_.isDone(mark.step);
    }

    bool modified() const { return !history_.atSaved(); }

    // Satellite-name table: the block name recorded by the service tree, else the DVBS.dat name.
    std::string satelliteName(int satIndex) const; // UTF-8
    const std::string* rawSatelliteName(int satIndex) const;

private:
    OpenResult adopt(ReceiverFiles next);
    OpenResult adopt(ReceiverFiles next, ServiceTable table);
    void stampFiles(); // remember the files as they are on disk now
    // Remembers the satellite files `folder` lacks, so a file put there later counts as a
    // change, and says which ones stay from an earlier open.
    std::optional<std::string> noteKeptFiles(const std::filesystem::path& folder);
    std::vector<FileToWrite> filesFor(SaveScope scope, const std::filesystem::path& folder);
    void afterSave(SaveScope scope, const std::filesystem::path& folder, SaveResult& result);

    // How far into the open step each table was brought in step by the operation itself:
    // patches before these counts need no refresh at its close.
    struct InStep {
        std::size_t bouquets = 0;
        std::size_t satellites = 0;
        std::size_t services = 0;
        std::vector<std::uint32_t> serviceRows;
    };
    void endEdit();
    Change refreshAfter(const EditStep& step, const InStep& inStep);
    void tell(const Change& change);

    std::vector<std::pair<std::size_t, ChangeListener>> listeners_;
    std::size_t nextListener_ = 1;
    int editDepth_ = 0;
    std::uint64_t stepBefore_ = 0; // the last step done when the outermost scope began
    InStep inStep_;
    Change::Kind closingAs_ = Change::Kind::Edit;

    const CodePage* codePage_;
    ReceiverFiles files_;
    ServiceTable services_;
    ServiceView view_;
    std::vector<FileStamp> stamps_;
    // The folder whose missing satellite files stay from an earlier open, with the sentence
    // that says so; cleared by the first save into it.
    std::optional<std::pair<std::filesystem::path, std::string>> keptFromBefore_;
    std::uint64_t generation_ = 0;
    EditHistory history_{ImageSet{&files_.channel.bytes, &files_.satelliteFiles.antenna.bytes,
                                  &files_.satelliteFiles.dvbs.bytes}};
};

// The save policy the window and the command line share: Workspace::save, and when files
// changed on disk or are read-only, a question through `prompter` for each kind (the command
// line declines; its --force sets the options instead), then the save again with what was
// allowed. Nothing is written unless every question was answered Yes.
SaveResult saveFolder(Workspace& workspace, SaveScope scope, const std::filesystem::path& folder,
                      SaveOptions options, Prompter& prompter);

} // namespace tavrino
