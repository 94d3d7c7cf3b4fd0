#pragma once

#include "database/byte_image.h"
#include "database/folder_lock.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrino {

// The most a file may hold before it is refused unread, and why that much.
struct SizeLimit {
    std::uint64_t bytes;
    const char* reason;
};

// Profiles, passwords and other small text files of ours.
inline constexpr SizeLimit smallTextFileLimit{1u << 20, "1 MiB, far more than such a file holds"};

// Reads a file whole. Returns nullopt when it does not exist; throws FileProblem when it
// exists but is not a regular file, is larger than `limit` or cannot be read. Never blocks
// on a FIFO or device. An empty file comes back as empty bytes.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path, SizeLimit limit);

// False when nothing of that name exists; throws FileProblem when it cannot be looked up
// (a symbolic link loop, a folder that cannot be searched).
bool fileExists(const std::filesystem::path& path);

// Creates a folder with its parents; throws FileProblem naming it when that fails or
// something else of that name is in the way.
void makeFolder(const std::filesystem::path& folder);

struct FileToWrite {
    std::filesystem::path path;
    std::span<const std::uint8_t> bytes;
    std::optional<unsigned> mode = std::nullopt; // permission bits; none: keep the old file's
};

// The calls a save makes that tests replace to make one step fail; null means the real one.
struct FileSystemCalls {
    int (*replace)(const char* from, const char* to) = nullptr; // rename(2)
    int (*link)(const char* from, const char* to) = nullptr;    // link(2)
};

// Replaces files of one folder all or nothing, under the folder's lock (see FolderLock).
// Several files (only the receiver files come in groups): every temporary is written and
// flushed, the old files are kept under hidden names and a journal is written before the
// first rename; when a rename fails, or a temporary vanished, the old files are put back.
// One file: its temporary is renamed over it. A replaced file keeps its permissions (or gets
// `mode`); a new one gets what the umask allows. A symbolic link is never replaced. Throws
// FileProblem (Busy when another Tavrino holds the folder); the message says whether the
// folder was left as it was. Returns the note of recoverInterruptedSave.
std::optional<std::string> writeFilesAtomically(const std::vector<FileToWrite>& files,
                                                const FileSystemCalls& calls = {});
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes);
// The same with the permission bits `mode`, whatever the old file had.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes, unsigned mode);

// The lock a write into `folder` takes, waiting up to folderLockPatience for another holder.
// Throws FileProblem (Busy) when it stays held; nullopt when the folder cannot be opened, and
// the write then says what is wrong with it.
std::optional<FolderLock> lockFolderForWriting(const std::filesystem::path& folder);

// Throws FileProblem naming the first file that is a symbolic link: a save would replace the
// link by a plain file.
void refuseSymbolicLinks(const std::vector<FileToWrite>& files);

// Finishes a save to `folder` that was cut short (or undoes it where it cannot be finished)
// and removes temporaries our saves left there. Does nothing while another Tavrino holds the
// folder's lock: those files belong to its running save. Returns a note for the user when it
// did anything; throws FileProblem when the folder could not be made whole or its journal is
// not one a save wrote (then nothing is changed).
std::optional<std::string> recoverInterruptedSave(const std::filesystem::path& folder,
                                                  const FileSystemCalls& calls = {});

// Throws FileProblem when a save to `folder` was cut short and not yet finished or undone: its
// files may be half old, half new, so only an open that recovers may read them.
void refuseUnfinishedSave(const std::filesystem::path& folder);

} // namespace tavrino
