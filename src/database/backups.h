#pragma once

#include "database/file_io.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace tavrino {

inline constexpr int backupsKept = 10;

// Copies the files that `replacing` is about to overwrite into
// `backupsRoot`/files/<folder name>-<YYYYMMDD-HHMMSS>/. Nothing is copied when no file there
// would change (saving again what was saved keeps the older backups from being pushed out).
// The copy is made in a hidden folder of its own, renamed into place when complete (never
// over another backup: a second one in the same second gets "-2"), so a failure never leaves
// half a backup; a hidden `.source` file names the folder and orders the backups. A symbolic
// link is kept as a link, and a copy keeps its original's permissions (less the umask).
// Returns the backup folder, or nullopt when none was needed. Throws FileProblem.
std::optional<std::filesystem::path>
backupBeforeSave(const std::filesystem::path& backupsRoot,
                 const std::vector<FileToWrite>& replacing,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// After a save succeeded: keeps the newest `backupsKept` backups of that folder, counted by
// the order they were made in (not by name or clock), and never those of another folder.
void pruneBackups(const std::filesystem::path& backupsRoot, const std::filesystem::path& folder);

// The one pruning rule of every kind of backup: removes all of `oldestFirst` but the last
// `keep`. Each kind decides what counts as its own backups and in which order they were made.
void removeAllButNewest(const std::vector<std::filesystem::path>& oldestFirst, std::size_t keep);

// Removes a backup that turned out not to be needed (its save failed and changed nothing).
void discardBackup(const std::filesystem::path& backup);

} // namespace tavrino
