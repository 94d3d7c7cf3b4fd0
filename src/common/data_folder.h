#pragma once

#include <filesystem>
#include <optional>

namespace tavrino {

// Where Tavrino keeps its own files (profiles, settings, staging folder, backups): `chosen`
// (--data-dir), else $TAVRINO_HOME, else the program's own folder when it is writable and not
// a bin folder (portable use), else the per-user data folder (~/.local/share/Tavrino/Tavrino).
std::filesystem::path resolveDataFolder(const std::optional<std::filesystem::path>& chosen);

// The staging folder for files fetched from or sent to the receiver.
inline std::filesystem::path stagingFolderOf(const std::filesystem::path& dataFolder) {
    return dataFolder / "tmp";
}

} // namespace tavrino
