#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace tavrino {

// An advisory lock on a folder, held by whoever reads, checks and writes the files in it, so
// two processes never interleave a save (or a rewrite of Profiles.ini). The lock sits on the
// folder itself (flock on its descriptor): nothing is left in the folder, and a process that
// dies releases it. Readers that only look need no lock; recovery of a cut save takes it
// without waiting and leaves the hidden files alone when another process holds it.
//
// Within one thread the lock nests: a thread that holds it gets it again at once, so a
// command that holds its folder from open to save can call the open and the save, which take
// it themselves. Another thread of the same process waits as another process does.
class FolderLock {
public:
    // Takes the lock, waiting up to `patience` for another holder to let go. nullopt when it
    // stays held (`busy` then set) or the folder cannot be opened; `why` says which in words
    // naming the folder.
    static std::optional<FolderLock> acquire(const std::filesystem::path& folder,
                                             std::chrono::milliseconds patience, std::string& why,
                                             bool* busy = nullptr);
    // Without waiting.
    static std::optional<FolderLock> tryAcquire(const std::filesystem::path& folder,
                                                std::string& why, bool* busy = nullptr) {
        return acquire(folder, std::chrono::milliseconds{0}, why, busy);
    }

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    struct Key {
        dev_t device = 0;
        ino_t inode = 0;
    };
    FolderLock(int fd, Key key) : fd_(fd), key_(key) {}
    void release();
    int fd_ = -1; // -1 for a lock nested in one this thread holds
    Key key_;
};

// How long a save or a command-line edit waits for another holder before it gives up.
inline constexpr std::chrono::milliseconds folderLockPatience{5000};

// "FOLDER is being written by another Tavrino; try again when it has finished"
std::string folderBusyText(const std::filesystem::path& folder);

} // namespace tavrino
