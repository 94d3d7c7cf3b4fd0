#pragma once

#include "database/byte_image.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrino {

// Reads a file whole. Returns nullopt when it does not exist; throws FileProblem when it
// exists but cannot be read. An empty file comes back as empty bytes.
std::optional<Bytes> readWholeFile(const std::filesystem::path& path);

struct FileToWrite {
    std::filesystem::path path;
    std::span<const std::uint8_t> bytes;
};

// Replaces each file whole: every temporary (same folder, flushed) is written before the
// first rename, so a failed write leaves every target as it was. Throws FileProblem.
void writeFilesAtomically(const std::vector<FileToWrite>& files);
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// The same with the permission bits `mode`, whatever the old file had.
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         unsigned mode);

} // namespace tavrino
