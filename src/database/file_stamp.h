#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

// What a file looked like when it was read or written: enough to tell that someone else has
// replaced or changed it since (a receiver copy tool, another editor, a second Tavrino).
struct FileStamp {
    std::filesystem::path path;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

// nullopt when nothing can be looked up at `path`.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// Replaces the stamp of the same file (the same path), or adds it.
void keepStamp(std::vector<FileStamp>& stamps, FileStamp stamp);

// Names of the files in `folder` that changed since their stamp was taken there.
std::vector<std::string> changedSince(const std::vector<FileStamp>& stamps,
                                      const std::filesystem::path& folder);

} // namespace tavrino
