// All-or-nothing replacement of the files of one folder, and recovery of a save cut short.
//
// A save writes every temporary (".NAME.tmp-XXXXXX") and flushes it, keeps each old file
// reachable as ".NAME.old-XXXXXX", then records the steps in the journal ".tavrino-save"
// before the first rename. While the journal says "forward", every step can be finished:
// a temporary that is gone was renamed already. Once it says "undo", each replaced file
// gets its old one back. The journal is removed before the hidden files, so any left
// without it are only debris that the next open or save removes by their names.
#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/posix_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;
using posix::errorText;
using posix::FileDescriptor;

namespace {

constexpr const char* journalName = ".tavrino-save";
constexpr const char* journalForward = "tavrino save 1 forward";
constexpr const char* journalUndo = "tavrino save 1 undo";
constexpr std::size_t suffixLength = 6; // mkstemp's XXXXXX
constexpr std::size_t maxSteps = 16;

struct Step {
    std::string target; // names inside the folder
    std::string temp;
    std::string old; // empty: nothing of that name existed before the save
};

struct Failure {
    std::string target;
    int error;
};

struct Group {
    fs::path folder;
    std::vector<Step> steps;
    FileSystemCalls calls;

    fs::path at(const std::string& name) const { return folder / name; }
    int replace(const std::string& from, const std::string& to) const {
        const auto call = calls.replace ? calls.replace : [](const char* a, const char* b) {
            return ::rename(a, b);
        };
        return call(at(from).c_str(), at(to).c_str());
    }
    int link(const std::string& from, const std::string& to) const {
        const auto call =
            calls.link ? calls.link : [](const char* a, const char* b) { return ::link(a, b); };
        return call(at(from).c_str(), at(to).c_str());
    }
};

[[noreturn]] void writeFailed(const fs::path& path, const std::string& why) {
    throw FileProblem(FileProblem::Kind::WriteFailed, path.string(), why);
}

std::string hiddenPattern(const std::string& name, const char* kind) {
    std::string pattern(1, '.');
    pattern.append(name).append(1, '.').append(kind).append("-XXXXXX");
    return pattern;
}

// ".<name>.tmp-XXXXXX" or ".<name>.old-XXXXXX", as our saves name their hidden files.
bool isOurHiddenFile(std::string_view name) {
    constexpr std::size_t tail = 5 + suffixLength;
    if (name.size() < 2 + tail || name.front() != '.') {
        return false;
    }
    const auto kind = name.substr(name.size() - tail, 5);
    if (kind != ".tmp-" && kind != ".old-") {
        return false;
    }
    for (const char c : name.substr(name.size() - suffixLength)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool present(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Creates a hidden file beside `target` and fills it; returns its name inside the folder.
std::string writeHidden(const Group& g, const std::string& target, const char* kind,
                        std::span<const std::uint8_t> bytes, mode_t mode) {
    std::string path = g.at(hiddenPattern(target, kind)).string();
    FileDescriptor fd(::mkostemp(path.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        writeFailed(g.at(target), "a temporary file cannot be made in " + g.folder.string() + " (" +
                                      errorText(errno) + ")");
    }
    std::string why;
    if (::fchmod(fd.get(), mode) != 0) {
        why = "setting its permissions failed (" + errorText(errno) + ")";
    } else {
        why = posix::writeAndClose(fd, bytes);
    }
    if (!why.empty()) {
        ::unlink(path.c_str());
        writeFailed(g.at(target), why);
    }
    return fs::path(path).filename().string();
}

mode_t modeToKeep(const fs::path& target) {
    struct stat info {};
    return ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
}

// Keeps the file now at `target` under a hidden name: a hard link, or a copy where the file
// system has no links (vfat). Returns the name, empty when nothing is there.
std::string keepOld(const Group& g, const std::string& target, const std::string& temp) {
    struct stat info {};
    if (::lstat(g.at(target).c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        writeFailed(g.at(target), errorText(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        writeFailed(g.at(target), "a folder of that name is in the way");
    }
    const std::string linked = "." + target + ".old-" + temp.substr(temp.size() - suffixLength);
    if (g.link(target, linked) == 0) {
        return linked;
    }
    std::optional<Bytes> old;
    try {
        old = readWholeFile(g.at(target), {std::numeric_limits<std::uint64_t>::max(), "no limit"});
    } catch (const FileProblem& problem) {
        writeFailed(g.at(target), "the file there now cannot be kept (" + problem.detail() + ")");
    }
    return old ? writeHidden(g, target, "old", *old, modeToKeep(g.at(target))) : std::string();
}

// Removes whatever hidden files of the steps are still there.
void discardHidden(const Group& g) {
    for (const Step& s : g.steps) {
        ::unlink(g.at(s.temp).c_str());
        if (!s.old.empty()) {
            ::unlink(g.at(s.old).c_str());
        }
    }
}

std::string writeJournal(const Group& g, const char* state) {
    std::string text = std::string(state) + "\n";
    for (const Step& s : g.steps) {
        text += s.target + "\t" + s.temp + "\t" + (s.old.empty() ? "-" : s.old) + "\n";
    }
    std::string path = g.at(hiddenPattern(journalName + 1, "tmp")).string();
    FileDescriptor fd(::mkostemp(path.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return errorText(errno);
    }
    std::string why =
        posix::writeAndClose(fd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    if (why.empty() && ::rename(path.c_str(), g.at(journalName).c_str()) != 0) {
        why = errorText(errno);
    }
    if (!why.empty()) {
        ::unlink(path.c_str());
        return why;
    }
    posix::syncFolder(g.folder);
    return {};
}

bool plainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool validStep(const Step& s) {
    const std::string stem = "." + s.target;
    return plainName(s.target) && isOurHiddenFile(s.temp) && s.temp.rfind(stem + ".tmp-", 0) == 0 &&
           (s.old.empty() || (isOurHiddenFile(s.old) && s.old.rfind(stem + ".old-", 0) == 0));
}

std::vector<Step> parseJournal(const Bytes& bytes, const fs::path& path, bool& undoing) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    std::getline(in, line);
    if (line != journalForward && line != journalUndo) {
        throw FileProblem(FileProblem::Kind::Damaged, path.string(),
                          "line 1 does not start a record of a save");
    }
    undoing = line == journalUndo;
    std::vector<Step> steps;
    for (int number = 2; std::getline(in, line); ++number) {
        Step s;
        std::istringstream fields(line);
        std::getline(fields, s.target, '\t');
        std::getline(fields, s.temp, '\t');
        std::getline(fields, s.old);
        if (s.old == "-") {
            s.old.clear();
        }
        if (!validStep(s) || steps.size() == maxSteps) {
            throw FileProblem(FileProblem::Kind::Damaged, path.string(),
                              "line " + std::to_string(number) + " is not a step of a save");
        }
        steps.push_back(std::move(s));
    }
    return steps;
}

// Renames every temporary that is still there over its target.
std::optional<Failure> forward(const Group& g) {
    for (const Step& s : g.steps) {
        if (present(g.at(s.temp)) && g.replace(s.temp, s.target) != 0) {
            return Failure{s.target, errno};
        }
    }
    posix::syncFolder(g.folder);
    return std::nullopt;
}

// Gives every replaced target its old file back; targets not replaced are left alone.
std::optional<Failure> undo(const Group& g) {
    std::optional<Failure> failure;
    for (const Step& s : g.steps) {
        if (present(g.at(s.temp))) {
            continue;
        }
        int result = 0;
        if (!s.old.empty()) {
            result = present(g.at(s.old)) ? g.replace(s.old, s.target) : 0;
        } else if (::unlink(g.at(s.target).c_str()) != 0 && errno != ENOENT) {
            result = -1;
        }
        if (result != 0 && !failure) {
            failure = Failure{s.target, errno};
        }
    }
    posix::syncFolder(g.folder);
    return failure;
}

void finish(const Group& g) {
    ::unlink(g.at(journalName).c_str());
    posix::syncFolder(g.folder);
    discardHidden(g);
}

void prepare(Group& g, const std::vector<FileToWrite>& files) {
    try {
        for (const auto& file : files) {
            const std::string target = file.path.filename().string();
            g.steps.push_back(
                {target,
                 writeHidden(g, target, "tmp", file.bytes,
                             file.mode ? static_cast<mode_t>(*file.mode) : modeToKeep(file.path)),
                 {}});
            g.steps.back().old = keepOld(g, target, g.steps.back().temp);
        }
    } catch (...) {
        discardHidden(g);
        throw;
    }
}

[[noreturn]] void rollBack(const Group& g, const Failure& failure) {
    const std::string why = "replacing the file failed (" + errorText(failure.error) + ")";
    const bool recorded = writeJournal(g, journalUndo).empty();
    if (const auto undoFailure = undo(g)) {
        writeFailed(g.at(failure.target),
                    why + ", and putting the files from before the save back failed too (" +
                        errorText(undoFailure->error) + "); " +
                        (recorded ? "the next open or save of the folder tries again"
                                  : "the folder may hold old and new files"));
    }
    finish(g);
    writeFailed(g.at(failure.target), why + "; every file was left as it was before the save");
}

std::optional<std::string> finishJournal(const fs::path& folder, const FileSystemCalls& calls) {
    const fs::path path = folder / journalName;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt; // absent, or the folder cannot be searched: the open or save says so
    }
    const auto text = readWholeFile(path, {64 * 1024, "a record of a save is a few lines"});
    if (!text) {
        return std::nullopt;
    }
    bool undoing = false;
    Group g{folder, parseJournal(*text, path, undoing), calls};
    const std::string cutShort = "A save to " + folder.string() + " was cut short";
    std::string notCompleted;
    if (!undoing) {
        const auto failure = forward(g);
        if (!failure) {
            finish(g);
            return cutShort + "; it has now been completed.";
        }
        notCompleted = " and could not be completed (" + failure->target + ": " +
                       errorText(failure->error) + ")";
        writeJournal(g, journalUndo);
    }
    if (const auto failure = undo(g)) {
        writeFailed(g.at(failure->target),
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

std::optional<std::string> recoverInterruptedSave(const fs::path& folder,
                                                  const FileSystemCalls& calls) {
    auto note = finishJournal(folder, calls);
    const int removed = removeLeftovers(folder);
    if (!note && removed > 0) {
        note = "Removed " + std::to_string(removed) + " temporary file" +
               (removed == 1 ? "" : "s") + " that an interrupted save had left in " +
               folder.string() + ".";
    }
    return note;
}

std::optional<std::string> writeFilesAtomically(const std::vector<FileToWrite>& files,
                                                const FileSystemCalls& calls) {
    if (files.empty()) {
        return std::nullopt;
    }
    Group g{posix::folderOf(files.front().path), {}, calls};
    for (const auto& file : files) {
        if (posix::folderOf(file.path) != g.folder) {
            throw std::invalid_argument("files written together must share one folder");
        }
    }
    auto note = recoverInterruptedSave(g.folder, calls);
    prepare(g, files);
    if (const std::string why = writeJournal(g, journalForward); !why.empty()) {
        discardHidden(g);
        writeFailed(files.front().path, "recording the steps of the save failed (" + why + ")");
    }
    if (const auto failure = forward(g)) {
        rollBack(g, *failure);
    }
    finish(g);
    return note;
}

} // namespace tavrino
