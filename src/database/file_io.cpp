#include "database/file_io.h"

#include "database/file_problem.h"
#include "database/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;
using posix::errorText;
using posix::FileDescriptor;

namespace {

[[noreturn]] void unreadable(const fs::path& path, const std::string& why) {
    throw FileProblem(FileProblem::Kind::Unreadable, path.string(), why);
}

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "it is a folder";
    }
    if (S_ISFIFO(mode)) {
        return "it is a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device";
    }
    return "it is a special file";
}

void checkSize(const fs::path& path, const struct stat& info, SizeLimit limit) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > limit.bytes) {
        unreadable(path, "it is " + std::to_string(size) + " bytes long, more than the limit of " +
                             std::to_string(limit.bytes) + " bytes (" + limit.reason + ")");
    }
}

Bytes readAll(const fs::path& path, int fd, std::size_t size) {
    Bytes bytes(size);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            unreadable(path, "reading failed (" + errorText(errno) + ")");
        }
        if (n == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

} // namespace

std::optional<Bytes> readWholeFile(const fs::path& path, SizeLimit limit) {
    // Non-blocking, so a FIFO in place of the file cannot stop us before fstat refuses it.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        unreadable(path, errorText(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        unreadable(path, errorText(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        unreadable(path, kindOfFile(info.st_mode) + ", not a regular file");
    }
    checkSize(path, info, limit);
    return readAll(path, fd.get(), static_cast<std::size_t>(info.st_size));
}

bool fileExists(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return true;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        return false;
    }
    unreadable(path, errorText(errno));
}

void makeFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error && fs::is_directory(folder, error)) {
        return;
    }
    std::string why = "the folder cannot be made (" + errorText(error.value()) + ")";
    if (!error || error.value() == ENOTDIR || error.value() == EEXIST) {
        std::error_code ignored;
        why = fs::exists(fs::symlink_status(folder, ignored)) ? "it is a file, not a folder"
                                                              : "it lies under a file";
    }
    throw FileProblem(FileProblem::Kind::WriteFailed, folder.string(), why);
}

std::optional<std::string> writeFileAtomically(const fs::path& path,
                                               std::span<const std::uint8_t> bytes) {
    return writeFilesAtomically({{path, bytes}});
}

std::optional<std::string> writeFileAtomically(const fs::path& path,
                                               std::span<const std::uint8_t> bytes, unsigned mode) {
    return writeFilesAtomically({{path, bytes, mode}});
}

} // namespace tavrino
