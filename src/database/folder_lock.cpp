#include "database/folder_lock.h"

#include "database/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tavrino {
namespace {

// The folders this process has locked, and the thread that holds each.
struct Holder {
    dev_t device;
    ino_t inode;
    std::thread::id thread;
};
std::mutex holdersMutex;
std::vector<Holder> holders;

bool heldByThisThread(dev_t device, ino_t inode) {
    const std::lock_guard guard(holdersMutex);
    return std::any_of(holders.begin(), holders.end(), [&](const Holder& h) {
        return h.device == device && h.inode == inode && h.thread == std::this_thread::get_id();
    });
}

void forget(dev_t device, ino_t inode) {
    const std::lock_guard guard(holdersMutex);
    std::erase_if(holders, [&](const Holder& h) { return h.device == device && h.inode == inode; });
}

} // namespace

std::optional<FolderLock> FolderLock::acquire(const std::filesystem::path& folder,
                                              std::chrono::milliseconds patience, std::string& why,
                                              bool* busy) {
    if (busy != nullptr) {
        *busy = false;
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        why = folder.string() + " cannot be opened (" + posix::errorText(errno) + ")";
        if (fd >= 0) {
            ::close(fd);
        }
        return std::nullopt;
    }
    const Key key{info.st_dev, info.st_ino};
    if (heldByThisThread(key.device, key.inode)) {
        ::close(fd);
        return FolderLock(-1, key);
    }
    const auto end = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            const std::lock_guard guard(holdersMutex);
            holders.push_back({key.device, key.inode, std::this_thread::get_id()});
            return FolderLock(fd, key);
        }
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= end) {
            ::close(fd);
            if (busy != nullptr) {
                *busy = error == EWOULDBLOCK;
            }
            why = error == EWOULDBLOCK
                      ? folderBusyText(folder)
                      : folder.string() + " cannot be locked (" + posix::errorText(error) + ")";
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), key_(other.key_) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        key_ = other.key_;
    }
    return *this;
}

FolderLock::~FolderLock() {
    release();
}

void FolderLock::release() {
    if (fd_ >= 0) {
        forget(key_.device, key_.inode);
        ::close(std::exchange(fd_, -1)); // closing the descriptor releases the lock
    }
}

std::string folderBusyText(const std::filesystem::path& folder) {
    return folder.string() + " is being written by another Tavrino; try again when it has finished";
}

} // namespace tavrino
