#pragma once

#include <filesystem>
#include <gtest/gtest.h>

namespace tavrino::test {

// The public satellite lists beside the checkout. They are not copied into the project, so a
// checkout without them skips the tests that read them instead of failing.
inline const std::filesystem::path sharedData = TAVRINO_SHARED_DATA;

} // namespace tavrino::test

#define TAVRINO_SKIP_WITHOUT_SHARED_DATA()                                                         \
    if (!std::filesystem::is_directory(::tavrino::test::sharedData))                               \
    GTEST_SKIP() << ::tavrino::test::sharedData << " is not here"
