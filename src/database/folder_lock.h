#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace tavrino {

// An advisory lock on a folder, held by whoever reads, checks and writes the files in it, so
// two processes never interleave a save (or a rewrite of Profiles.ini). The lock sits on the
// folder itself (flock on its descriptor): nothing is left in the folder, and a process that
// dies releases it. Readers that only look need no lock; recovery of a cut save takes it
// without waiting and leaves the hidden files alone when another process holds it.
class FolderLock {
public:
    // Takes the lock, waiting up to `patience` for another holder to let go. nullopt when it
    // stays held; `why` then says so in words naming the folder. A folder that cannot be
    // opened gives nullopt too, with the reason.
    static std::optional<FolderLock> acquire(const std::filesystem::path& folder,
                                             std::chrono::milliseconds patience, std::string& why);
    // Without waiting.
    static std::optional<FolderLock> tryAcquire(const std::filesystem::path& folder,
                                                std::string& why) {
        return acquire(folder, std::chrono::milliseconds{0}, why);
    }

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// "FOLDER is being written by another Tavrino; try again when it has finished."
std::string folderBusyText(const std::filesystem::path& folder);

} // namespace tavrino
