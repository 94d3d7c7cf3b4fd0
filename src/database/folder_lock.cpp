#include "database/folder_lock.h"

#include "database/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tavrino {

std::optional<FolderLock> FolderLock::acquire(const std::filesystem::path& folder,
                                              std::chrono::milliseconds patience,
                                              std::string& why) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = folder.string() + " cannot be opened (" + posix::errorText(errno) + ")";
        return std::nullopt;
    }
    const auto end = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return FolderLock(fd);
        }
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= end) {
            ::close(fd);
            why = error == EWOULDBLOCK
                      ? folderBusyText(folder)
                      : folder.string() + " cannot be locked (" + posix::errorText(error) + ")";
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_); // closing the descriptor releases the lock
    }
}

std::string folderBusyText(const std::filesystem::path& folder) {
    return folder.string() + " is being written by another Tavrino; try again when it has finished";
}

} // namespace tavrino
