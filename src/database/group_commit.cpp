// All-or-nothing replacement of the files of one folder.
//
// A save writes every temporary (".NAME.tmp-XXXXXX") and flushes it, keeps each old file
// reachable as ".NAME.old-XXXXXX", then records the steps in the journal ".tavrino-save"
// before the first rename. While the journal says "forward", every step can be finished:
// a temporary that is gone was renamed already. Once it says "undo", each replaced file
// gets its old one back. The journal is removed before the hidden files, so any left
// without it are only debris that the next open or save removes by their names
// (save_recovery.cpp). The whole save runs under the folder's lock, so no other Tavrino
// removes its hidden files or writes a journal of its own meanwhile.
#include "database/file_problem.h"
#include "database/folder_lock.h"
#include "database/posix_file.h"
#include "database/save_steps.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;
using posix::errorText;
using posix::FileDescriptor;

namespace save_steps {

int Group::replace(const std::string& from, const std::string& to) const {
    const auto call =
        calls.replace ? calls.replace : [](const char* a, const char* b) { return ::rename(a, b); };
    return call(at(from).c_str(), at(to).c_str());
}

int Group::link(const std::string& from, const std::string& to) const {
    const auto call =
        calls.link ? calls.link : [](const char* a, const char* b) { return ::link(a, b); };
    return call(at(from).c_str(), at(to).c_str());
}

bool isReceiverFileName(std::string_view name) {
    return name == channelFileName || name == dvbsFileName || name == antennaFileName;
}

bool isHiddenFileOf(std::string_view hidden, std::string_view target, std::string_view kind) {
    // "." + target + "." + kind + "-" + suffix
    if (hidden.size() != target.size() + kind.size() + 3 + suffixLength ||
        !hidden.starts_with('.') || hidden.substr(1, target.size()) != target) {
        return false;
    }
    const auto rest = hidden.substr(1 + target.size());
    if (rest[0] != '.' || rest.substr(1, kind.size()) != kind || rest[1 + kind.size()] != '-') {
        return false;
    }
    for (const char c : hidden.substr(hidden.size() - suffixLength)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool isOurHiddenFile(std::string_view name) {
    constexpr std::size_t tail = 5 + suffixLength; // ".tmp-XXXXXX"
    if (name.size() < 2 + tail) {
        return false;
    }
    const auto target = name.substr(1, name.size() - 1 - tail);
    return isHiddenFileOf(name, target, "tmp") || isHiddenFileOf(name, target, "old");
}

bool present(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace save_steps

namespace {
using namespace save_steps;

[[noreturn]] void writeFailed(const fs::path& path, const std::string& why) {
    throw FileProblem(FileProblem::Kind::WriteFailed, path.string(), why);
}

std::string randomSuffix() {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix(suffixLength, ' ');
    for (char& c : suffix) {
        c = letters[pick(engine)];
    }
    return suffix;
}

// Creates ".<target>.<kind>-XXXXXX" that did not exist, with `mode` (less the umask).
// Returns the descriptor and the name, or -1 with errno set.
std::pair<int, std::string> createHidden(const Group& g, const std::string& target,
                                         const char* kind, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target + "." + kind + "-" + randomSuffix();
        const int fd =
            ::open(g.at(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST) {
            return {fd, std::move(name)};
        }
    }
    errno = EEXIST;
    return {-1, {}};
}

// Creates a hidden file beside `target` and fills it; returns its name inside the folder.
// With `keep` the file gets exactly those permission bits; without, the bits a new file of
// the folder gets (what the umask allows).
std::string writeHidden(const Group& g, const std::string& target, const char* kind,
                        std::span<const std::uint8_t> bytes, std::optional<mode_t> keep) {
    auto [raw, name] = createHidden(g, target, kind, keep ? 0600 : 0666);
    FileDescriptor fd(raw);
    if (fd.get() < 0) {
        writeFailed(g.at(target), "a temporary file cannot be made in " + g.folder.string() + " (" +
                                      errorText(errno) + ")");
    }
    std::string why;
    if (keep && ::fchmod(fd.get(), *keep) != 0) {
        why = "setting its permissions failed (" + errorText(errno) + ")";
    } else {
        why = posix::writeAndClose(fd, bytes);
    }
    if (!why.empty()) {
        ::unlink(g.at(name).c_str());
        writeFailed(g.at(target), why);
    }
    return name;
}

// The permissions of the file a save replaces, which its replacement keeps; none for a new one.
std::optional<mode_t> modeToKeep(const fs::path& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    return std::nullopt;
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

void prepare(Group& g, const std::vector<FileToWrite>& files) {
    try {
        for (const auto& file : files) {
            const std::string target = file.path.filename().string();
            const auto mode = file.mode ? std::optional<mode_t>(*file.mode) : modeToKeep(file.path);
            g.steps.push_back({target, writeHidden(g, target, "tmp", file.bytes, mode), {}});
            g.steps.back().old = keepOld(g, target, g.steps.back().temp);
        }
    } catch (...) {
        discardHidden(g);
        throw;
    }
}

[[noreturn]] void rollBack(const Group& g, const Failure& failure, std::size_t done) {
    const std::string why = failure.error == ENOENT
                                ? "its temporary file vanished before it could replace the file"
                                : "replacing the file failed (" + errorText(failure.error) + ")";
    const bool recorded = writeJournal(g, journalUndo).empty();
    if (const auto undoFailure = undo(g, done)) {
        writeFailed(g.at(failure.target),
                    why + ", and putting the files from before the save back failed too (" +
                        errorText(undoFailure->error) + "); " +
                        (recorded ? "the next open or save of the folder tries again"
                                  : "the folder may hold old and new files"));
    }
    finish(g);
    writeFailed(g.at(failure.target), why + "; every file was left as it was before the save");
}

std::size_t stepsDone(const Group& g, const Failure& failure) {
    std::size_t done = 0;
    while (done < g.steps.size() && g.steps[done].target != failure.target) {
        ++done;
    }
    return done;
}

// One file needs no journal: its temporary is renamed over it or the old file stays.
void writeOne(const Group& g, const FileToWrite& file) {
    const std::string target = file.path.filename().string();
    const auto mode = file.mode ? std::optional<mode_t>(*file.mode) : modeToKeep(file.path);
    const std::string temp = writeHidden(g, target, "tmp", file.bytes, mode);
    if (g.replace(temp, target) != 0) {
        const int error = errno;
        ::unlink(g.at(temp).c_str());
        writeFailed(file.path, error == ENOENT
                                   ? "its temporary file vanished before it could replace the file"
                                   : "replacing the file failed (" + errorText(error) + ")");
    }
    posix::syncFolder(g.folder);
}

void checkGroup(const Group& g, const std::vector<FileToWrite>& files) {
    for (const auto& file : files) {
        if (posix::folderOf(file.path) != g.folder) {
            throw std::invalid_argument("files written together must share one folder");
        }
        // The journal of a group names only receiver files, so recovery can refuse the rest.
        if (files.size() > 1 && !isReceiverFileName(file.path.filename().string())) {
            throw std::invalid_argument("only the receiver files are written as a group");
        }
    }
}

} // namespace

namespace save_steps {

std::string writeJournal(const Group& g, const char* state) {
    std::string text = std::string(state) + "\n";
    for (const Step& s : g.steps) {
        text += s.target + "\t" + s.temp + "\t" + (s.old.empty() ? "-" : s.old) + "\n";
    }
    std::string path = g.at(std::string(journalName) + ".tmp-XXXXXX").string();
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

std::optional<Failure> forward(const Group& g, bool strict) {
    for (const Step& s : g.steps) {
        const bool there = present(g.at(s.temp));
        if (!there && strict) {
            return Failure{s.target, ENOENT};
        }
        if (there && g.replace(s.temp, s.target) != 0) {
            return Failure{s.target, errno};
        }
    }
    posix::syncFolder(g.folder);
    return std::nullopt;
}

std::optional<Failure> undo(const Group& g, std::optional<std::size_t> done) {
    std::optional<Failure> failure;
    for (std::size_t i = 0; i < g.steps.size(); ++i) {
        const Step& s = g.steps[i];
        const bool replaced = done ? i < *done : !present(g.at(s.temp));
        if (!replaced) {
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

void discardHidden(const Group& g) {
    for (const Step& s : g.steps) {
        ::unlink(g.at(s.temp).c_str());
        if (!s.old.empty()) {
            ::unlink(g.at(s.old).c_str());
        }
    }
}

void finish(const Group& g) {
    ::unlink(g.at(journalName).c_str());
    posix::syncFolder(g.folder);
    discardHidden(g);
}

} // namespace save_steps

std::optional<FolderLock> lockFolderForWriting(const fs::path& folder) {
    std::string why;
    bool busy = false;
    auto lock = FolderLock::acquire(folder, folderLockPatience, why, &busy);
    if (!lock && busy) {
        throw FileProblem(FileProblem::Kind::Busy, folder.string(), why);
    }
    return lock;
}

void refuseSymbolicLinks(const std::vector<FileToWrite>& files) {
    for (const auto& file : files) {
        struct stat info {};
        if (::lstat(file.path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            continue;
        }
        std::error_code error;
        const fs::path to = fs::read_symlink(file.path, error);
        writeFailed(file.path, "it is a symbolic link" + (error ? "" : " to " + to.string()) +
                                   ", which a save would replace by a plain file; nothing "
                                   "was written (save into the folder that holds the file "
                                   "itself, or put the file in place of the link)");
    }
}

std::optional<std::string> writeFilesAtomically(const std::vector<FileToWrite>& files,
                                                const FileSystemCalls& calls) {
    if (files.empty()) {
        return std::nullopt;
    }
    Group g{posix::folderOf(files.front().path), {}, calls};
    checkGroup(g, files);
    // A folder that cannot be opened cannot be locked either; the write then says why.
    const auto lock = lockFolderForWriting(g.folder);
    auto note = lock ? recoverInterruptedSave(g.folder, calls) : std::nullopt;
    refuseSymbolicLinks(files);
    if (files.size() == 1) {
        writeOne(g, files.front());
        return note;
    }
    prepare(g, files);
    if (const std::string why = writeJournal(g, journalForward); !why.empty()) {
        discardHidden(g);
        writeFailed(files.front().path, "recording the steps of the save failed (" + why + ")");
    }
    if (const auto failure = forward(g, true)) {
        rollBack(g, *failure, stepsDone(g, *failure));
    }
    finish(g);
    return note;
}

} // namespace tavrino
