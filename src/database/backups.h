#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

inline constexpr int backupsKept = 10;

// Copies those of `names` that exist in `folder` into
// `backupsRoot`/files/<folder name>-<YYYYMMDD-HHMMSS>/ before a save replaces them, and keeps
// only the newest `backupsKept` of that folder name. The copy is made in a hidden folder that
// is renamed into place when complete, so a failure never leaves half a backup. Returns the
// backup folder, or nullopt when there was nothing to copy. Throws FileProblem.
std::optional<std::filesystem::path>
backupBeforeSave(const std::filesystem::path& backupsRoot, const std::filesystem::path& folder,
                 const std::vector<std::string>& names,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// Removes a backup that turned out not to be needed (its save failed and changed nothing).
void discardBackup(const std::filesystem::path& backup);

} // namespace tavrino
