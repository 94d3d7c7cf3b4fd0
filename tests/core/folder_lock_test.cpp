#include "database/folder_lock.h"
#include "test_support.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace tavrino {
namespace {

using namespace std::chrono_literals;

// Another thread stands in for another process: flock excludes them alike.
bool takenElsewhere(const std::filesystem::path& folder, std::chrono::milliseconds patience) {
    std::string why;
    bool taken = false;
    std::thread([&] { taken = FolderLock::acquire(folder, patience, why).has_value(); }).join();
    return taken;
}

// A command holds its folder from open to save; the open and the save take it again inside.
TEST(FolderLock, OneHolderAtATimeNestingInItsThreadAndAMissingFolderNamed) {
    test::TempDir dir;
    std::string why;
    auto first = FolderLock::tryAcquire(dir.path(), why);
    ASSERT_TRUE(first.has_value()) << why;
    ASSERT_TRUE(FolderLock::tryAcquire(dir.path() / ".", why).has_value()) << why;

    bool busy = false; // the inner lock let go of nothing
    std::string second;
    std::thread([&] { FolderLock::acquire(dir.path(), 50ms, second, &busy); }).join();
    EXPECT_TRUE(busy);

    // A holder that lets go is waited for, and leaves nothing in the folder.
    auto waiter = std::async(std::launch::async, [&] { return takenElsewhere(dir.path(), 5s); });
    std::this_thread::sleep_for(100ms);
    first.reset();
    EXPECT_TRUE(waiter.get());
    EXPECT_TRUE(test::entries(dir.path()).empty());

    busy = true; // a folder that cannot be opened is named, and is not busy
    EXPECT_FALSE(FolderLock::tryAcquire(dir / "gone", why, &busy).has_value());
    EXPECT_NE(why.find("gone"), std::string::npos);
    EXPECT_FALSE(busy);
}

} // namespace
} // namespace tavrino
