#include "database/folder_lock.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

using namespace std::chrono_literals;

TEST(FolderLock, OneHolderAtATimeAndReleasedWhenDropped) {
    test::TempDir dir;
    std::string why;
    auto first = FolderLock::tryAcquire(dir.path(), why);
    ASSERT_TRUE(first.has_value()) << why;

    EXPECT_FALSE(FolderLock::acquire(dir.path(), 50ms, why).has_value());
    EXPECT_NE(why.find(dir.path().string()), std::string::npos);
    EXPECT_NE(why.find("another Tavrino"), std::string::npos);

    first.reset();
    EXPECT_TRUE(FolderLock::tryAcquire(dir.path(), why).has_value());
    EXPECT_TRUE(test::entries(dir.path()).empty()); // nothing left in the folder
}

TEST(FolderLock, MissingFolderIsNamed) {
    test::TempDir dir;
    std::string why;
    EXPECT_FALSE(FolderLock::tryAcquire(dir / "gone", why).has_value());
    EXPECT_NE(why.find("gone"), std::string::npos);
}

} // namespace
} // namespace tavrino
