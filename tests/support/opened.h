#pragma once

#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino::test {

// A workspace opened from files written into a folder of its own.
struct Opened {
    explicit Opened(const sample::Files& files) {
        sample::writeFolder(files, folder.path());
        EXPECT_TRUE(ws.openFolder(folder.path()).opened());
    }
    explicit Opened(const Bytes& channel) {
        writeFile(folder / "all_channel.dat", channel);
        EXPECT_TRUE(ws.openFolder(folder.path()).opened());
    }
    TempDir folder;
    Workspace ws;
};

} // namespace tavrino::test
