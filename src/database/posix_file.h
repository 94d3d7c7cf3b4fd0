#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>

// Small POSIX helpers shared by the whole-file readers and writers.
namespace tavrino::posix {

// strerror text starting in lower case, to sit inside a sentence.
std::string errorText(int error);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Writes every byte, flushes and closes. Returns what went wrong, empty on success.
std::string writeAndClose(FileDescriptor& fd, std::span<const std::uint8_t> bytes);

// Best effort: a folder whose entries cannot be flushed still holds the renamed files.
void syncFolder(const std::filesystem::path& folder);

// The folder a file name lives in ("." for a bare name).
std::filesystem::path folderOf(const std::filesystem::path& file);

} // namespace tavrino::posix
