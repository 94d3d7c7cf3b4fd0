#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

namespace tavrino {

// backups/receiver in the data folder: one folder per send, named by local date and time.
std::filesystem::path receiverBackupsOf(const std::filesystem::path& dataFolder);

// Creates a new empty folder under `root` named "YYYY-MM-DD_HH-MM-SS" (with "-2", "-3" ...
// when a send in the same second made one). nullopt when it cannot be created.
std::optional<std::filesystem::path> makeBackupFolder(const std::filesystem::path& root,
                                                      std::chrono::system_clock::time_point now);

// Removes the oldest backups beyond the newest `keep`; other folders are left alone. `justMade`
// counts as the newest whatever its name says, so a clock set back cannot remove it.
void pruneBackups(const std::filesystem::path& root, std::size_t keep,
                  const std::filesystem::path& justMade = {});

} // namespace tavrino
