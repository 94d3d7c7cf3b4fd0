// Recovery of a save cut short (see group_commit.cpp for the steps a save takes).
//
// Recovery runs only under the folder's lock: while another Tavrino holds it, its hidden
// files belong to a save that is running and are left alone. A journal is acted on only when
// it is one a save of ours wrote: receiver file names, and hidden files of exactly the names
// a save gives them, each a plain file. Anything else makes the open or save refuse, with
// nothing in the folder changed.
#include "common/excerpt.h"
#include "database/file_problem.h"
#include "database/folder_lock.h"
#include "database/posix_file.h"
#include "database/save_steps.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;
using posix::errorText;
using namespace save_steps;

namespace {

constexpr std::size_t maxSteps = 3; // the three receiver files

class JournalReader {
public:
    JournalReader(const fs::path& folder, const fs::path& path) : folder_(folder), path_(path) {}

    std::vector<Step> read(const Bytes& bytes, bool& undoing) const {
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::string line;
        std::getline(in, line);
        if (line != journalForward && line != journalUndo) {
            throw FileProblem(FileProblem::Kind::Damaged, path_.string(),
                              std::string("line 1 does not start a record of a save") + unchanged);
        }
        undoing = line == journalUndo;
        std::vector<Step> steps;
        std::set<std::string> targets;
        for (int number = 2; std::getline(in, line); ++number) {
            Step s;
            std::istringstream fields(line);
            std::getline(fields, s.target, '\t');
            std::getline(fields, s.temp, '\t');
            std::getline(fields, s.old);
            if (s.old == "-") {
                s.old.clear();
            }
            if (const std::string why = problemOf(s, targets, steps.size()); !why.empty()) {
                throw FileProblem(FileProblem::Kind::Damaged, path_.string(),
                                  "line " + std::to_string(number) +
                                      " is not a step of a save: " + why + unchanged);
            }
            targets.insert(s.target);
            steps.push_back(std::move(s));
        }
        return steps;
    }

private:
    static constexpr const char* unchanged =
        "; nothing in the folder was changed (if no save was cut short here, remove "
        ".tavrino-save)";

    std::string problemOf(const Step& s, const std::set<std::string>& targets,
                          std::size_t count) const {
        if (!isReceiverFileName(s.target)) {
            return "\"" + excerpt(s.target) + "\" is not a file a save replaces";
        }
        if (targets.contains(s.target) || count == maxSteps) {
            return s.target + " comes twice";
        }
        if (!isHiddenFileOf(s.temp, s.target, "tmp")) {
            return "\"" + excerpt(s.temp) + "\" is not a name a save gives a new " + s.target;
        }
        if (!s.old.empty() && !isHiddenFileOf(s.old, s.target, "old")) {
            return "\"" + excerpt(s.old) + "\" is not a name a save gives an old " + s.target;
        }
        for (const std::string* name : {&s.temp, &s.old}) {
            if (!name->empty() && !plainFileOrAbsent(folder_ / *name)) {
                return *name + " is not a plain file";
            }
        }
        if (struct stat info{};
            ::lstat((folder_ / s.target).c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            return s.target + " is a symbolic link, which no save of ours replaces";
        }
        return {};
    }

    static bool plainFileOrAbsent(const fs::path& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 ? S_ISREG(info.st_mode) : errno == ENOENT;
    }

    const fs::path& folder_;
    const fs::path& path_;
};

std::optional<std::string> finishJournal(const fs::path& folder, const FileSystemCalls& calls) {
    const fs::path path = folder / journalName;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt; // absent, or the folder cannot be searched: the open or save says so
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileProblem(FileProblem::Kind::Damaged, path.string(),
                          "it is not a plain file, so it is no record of a save; nothing in the "
                          "folder was changed");
    }
    const auto text = readWholeFile(path, {64 * 1024, "a record of a save is a few lines"});
    if (!text) {
        return std::nullopt;
    }
    bool undoing = false;
    Group g{folder, JournalReader(folder, path).read(*text, undoing), calls};
    const std::string cutShort = "A save to " + folder.string() + " was cut short";
    std::string notCompleted;
    if (!undoing) {
        const auto failure = forward(g, false);
        if (!failure) {
            finish(g);
            return cutShort + "; it has now been completed.";
        }
        notCompleted = " and could not be completed (" + failure->target + ": " +
                       errorText(failure->error) + ")";
        writeJournal(g, journalUndo);
    }
    if (const auto failure = undo(g, std::nullopt)) {
        throw FileProblem(FileProblem::Kind::WriteFailed, g.at(failure->target).string(),
                          "a save to this folder was cut short, and neither completing it nor "
                          "putting the old files back worked (" +
                              errorText(failure->error) + ")");
    }
    finish(g);
    return cutShort + notCompleted + "; the files from before it were put back.";
}

// Removes the temporaries and old copies our saves left behind. Returns how many.
int removeLeftovers(const fs::path& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (isOurHiddenFile(entry->d_name) &&
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

} // namespace

void refuseUnfinishedSave(const fs::path& folder) {
    const fs::path path = folder / journalName;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        throw FileProblem(FileProblem::Kind::Damaged, path.string(),
                          "a save to this folder was cut short; open the folder with \"Open "
                          "Files\" to finish it or put the old files back");
    }
}

std::optional<std::string> recoverInterruptedSave(const fs::path& folder,
                                                  const FileSystemCalls& calls) {
    std::string why;
    const auto lock = FolderLock::tryAcquire(folder, why);
    if (!lock) {
        return std::nullopt; // a save is running there, or the folder cannot be opened
    }
    auto note = finishJournal(folder, calls);
    const int removed = removeLeftovers(folder);
    if (!note && removed > 0) {
        note = "Removed " + std::to_string(removed) + " temporary file" +
               (removed == 1 ? "" : "s") + " that an interrupted save had left in " +
               folder.string() + ".";
    }
    return note;
}

} // namespace tavrino
