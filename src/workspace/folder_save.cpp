// The save policy: one locked pass that checks, backs up, writes and records (Workspace::save),
// and the questions around it (saveFolder), for "Save Files", the satellite files' save and
// every command-line command that writes a folder.
#include "database/backups.h"
#include "database/file_io.h"
#include "database/folder_lock.h"
#include "workspace/workspace.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> joined(std::optional<std::string> a, std::optional<std::string> b) {
    if (a && b) {
        return *a + " " + *b;
    }
    return a ? a : b;
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

bool writes(const std::vector<FileToWrite>& files, const std::string& name) {
    return std::any_of(files.begin(), files.end(),
                       [&](const FileToWrite& f) { return f.path.filename() == name; });
}

// Replacing a file goes by the folder's permissions, so a file nobody may write is a sign
// that its owner wants it kept: a save asks (the command line wants --force) first.
std::vector<std::string> readOnlyFiles(const std::vector<FileToWrite>& files) {
    std::vector<std::string> names;
    for (const auto& file : files) {
        struct stat info {};
        if (::lstat(file.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        if ((info.st_mode & 0222) == 0 ||
            (::access(file.path.c_str(), W_OK) != 0 && errno == EACCES)) {
            names.push_back(file.path.filename().string());
        }
    }
    return names;
}

} // namespace

Notice changedOnDiskQuestion(const fs::path& folder) {
    return {"Confirm",
            "The files in " + folder.string() + " changed since they were opened. Overwrite them?",
            NoticeIcon::Question};
}

Notice readOnlyQuestion(const fs::path& folder, const std::vector<std::string>& names) {
    return {"Confirm",
            listed(names) + " in " + folder.string() + (names.size() == 1 ? " is" : " are") +
                " read-only. Replace " + (names.size() == 1 ? "it" : "them") + " anyway?",
            NoticeIcon::Question};
}

std::vector<FileToWrite> Workspace::filesFor(SaveScope scope, const fs::path& folder) {
    return scope == SaveScope::AllFiles ? filesToSave(files_, folder)
                                        : satelliteFilesToSave(files_, folder);
}

SaveResult Workspace::save(SaveScope scope, const fs::path& folder, const SaveOptions& options) {
    SaveResult result;
    try {
        const auto lock = lockFolderForWriting(folder); // from the check to the last rename
        result.note = recoverInterruptedSave(folder);
        const std::vector<FileToWrite> files = filesFor(scope, folder);
        if (files.empty()) {
            return result;
        }
        refuseSymbolicLinks(files);
        if (!options.overwriteChanged) {
            for (auto& name : changedSince(stamps_, folder)) {
                if (writes(files, name)) {
                    result.changedOnDisk.push_back(std::move(name));
                }
            }
        }
        if (!options.overwriteReadOnly) {
            result.readOnly = readOnlyFiles(files);
        }
        if (!result.ok()) {
            return result;
        }
        if (options.backupsIn) {
            result.backup = backupBeforeSave(*options.backupsIn, files);
        }
        result.note = joined(result.note, writeFilesAtomically(files));
        for (const auto& file : files) {
            result.written.push_back(file.path);
        }
        afterSave(scope, folder, result);
        if (options.backupsIn) {
            pruneBackups(*options.backupsIn, folder);
        }
    } catch (const FileProblem& problem) {
        if (result.backup && result.written.empty()) {
            discardBackup(*result.backup); // the files it holds are still the ones in the folder
            result.backup.reset();
        }
        result.problem = problem;
    }
    if (!result.written.empty()) {
        Change saved;
        saved.kind = Change::Kind::Save;
        tell(saved);
    }
    return result;
}

void Workspace::afterSave(SaveScope scope, const fs::path& folder, SaveResult& result) {
    if (scope == SaveScope::AllFiles) {
        history_.markSaved();
    }
    for (const auto& path : result.written) {
        if (auto stamp = stampOf(path)) {
            keepStamp(stamps_, std::move(*stamp));
        }
    }
    std::error_code error;
    if (keptFromBefore_ && fs::equivalent(keptFromBefore_->first, folder, error)) {
        result.keptFromBefore = std::move(keptFromBefore_->second);
        keptFromBefore_.reset();
    }
}

SaveResult saveFolder(Workspace& workspace, SaveScope scope, const fs::path& folder,
                      SaveOptions options, Prompter& prompter) {
    SaveResult result = workspace.save(scope, folder, options);
    if (result.problem || result.ok()) {
        return result;
    }
    if (!result.changedOnDisk.empty()) {
        if (!prompter.ask(changedOnDiskQuestion(folder))) {
            return result;
        }
        options.overwriteChanged = true;
    }
    if (!result.readOnly.empty()) {
        if (!prompter.ask(readOnlyQuestion(folder, result.readOnly))) {
            return result;
        }
        options.overwriteReadOnly = true;
    }
    SaveResult again = workspace.save(scope, folder, options);
    again.note = joined(result.note, again.note);
    return again;
}

} // namespace tavrino
