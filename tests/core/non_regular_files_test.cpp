#include "database/file_problem.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

// What takes the place of one receiver file, and the refusal it must give.
struct NonRegularFile {
    const char* what;
    const char* file;
    std::function<void(const fs::path&)> make;
    const char* detail;
};

class NonRegularFileInPlace : public testing::TestWithParam<NonRegularFile> {};

TEST_P(NonRegularFileInPlace, IsRefusedWithoutBlockingAndChangesNothing) {
    const auto& c = GetParam();
    TempDir good, bad;
    test::writeSample(good.path(), {.services = 40, .seed = 1});
    test::writeSample(bad.path(), {.services = 60, .seed = 2});
    const fs::path target = bad / c.file;
    fs::remove(target);
    c.make(target);
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(good.path()).opened());
    const Bytes before = ws.files().channel.bytes;

    ::alarm(30); // a FIFO opened for a blocking read would hang here for good
    const OpenResult result = ws.openFolder(bad.path());
    ::alarm(0);
    ASSERT_EQ(result.status, OpenResult::Status::Refused) << c.what;
    EXPECT_EQ(result.problem->oneLine(), target.string() + " cannot be read: " + c.detail + ".");
    EXPECT_EQ(ws.files().channel.bytes, before);
    EXPECT_EQ(ws.services().size(), 40u);
}

void makeFifo(const fs::path& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
}

void makeLinkedFifo(const fs::path& path) {
    makeFifo(path.parent_path() / "fifo");
    fs::create_symlink("fifo", path);
}

void makeLoop(const fs::path& path) {
    fs::create_symlink(path.filename(), path);
}

void makeOversized(const fs::path& path, std::uintmax_t size) {
    test::writeFile(path, Bytes{10});
    fs::resize_file(path, size); // sparse: nothing is stored, only the length
}

const char* const fifo = "it is a FIFO, not a regular file";
const char* const loop = "too many levels of symbolic links";

INSTANTIATE_TEST_SUITE_P(
    Table, NonRegularFileInPlace,
    testing::Values(
        NonRegularFile{"fifo_channel", "all_channel.dat", makeFifo, fifo},
        NonRegularFile{"fifo_dvbs", "DVBS.dat", makeFifo, fifo},
        NonRegularFile{"fifo_antenna", "antenna_list.dat", makeFifo, fifo},
        NonRegularFile{"link_to_fifo_dvbs", "DVBS.dat", makeLinkedFifo, fifo},
        NonRegularFile{"link_to_fifo_channel", "all_channel.dat", makeLinkedFifo, fifo},
        NonRegularFile{"loop_channel", "all_channel.dat", makeLoop, loop},
        NonRegularFile{"loop_dvbs", "DVBS.dat", makeLoop, loop},
        NonRegularFile{"loop_antenna", "antenna_list.dat", makeLoop, loop},
        NonRegularFile{"folder_dvbs", "DVBS.dat", [](const auto& p) { fs::create_directory(p); },
                       "it is a folder, not a regular file"},
        NonRegularFile{"oversized_channel", "all_channel.dat",
                       [](const auto& p) { makeOversized(p, (256u << 20) + 1); },
                       "it is 268435457 bytes long, more than the limit of 268435456 bytes (256 "
                       "MiB, far more than a receiver can hold)"},
        NonRegularFile{"oversized_dvbs", "DVBS.dat",
                       [](const auto& p) { makeOversized(p, 604002433); },
                       "it is 604002433 bytes long, more than the limit of 604002432 bytes (what "
                       "256 satellites of 65535 transponders each take)"},
        NonRegularFile{
            "oversized_antenna", "antenna_list.dat", [](const auto& p) { makeOversized(p, 32805); },
            "it is 32805 bytes long, more than the limit of 32804 bytes (the size of the "
            "antenna list layout)"}),
    [](const auto& param) { return std::string(param.param.what); });

TEST(OddFolders, ASymbolicLinkLoopIsRefusedNamingTheFile) {
    TempDir top;
    test::writeSample(top / "good", {.services = 10});
    fs::create_directory_symlink("loop", top / "loop");
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(top / "good").opened());
    const auto result = ws.openFolder(top / "loop");
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->oneLine(),
              (top / "loop" / "all_channel.dat").string() + " cannot be read: " + loop + ".");
    const auto saved = ws.save(top / "loop");
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.problem->path(), (top / "loop" / "all_channel.dat").string());
}

TEST(OddFolders, SavingIntoAFileOrUnderOneIsRefused) {
    TempDir top;
    test::writeSample(top / "in", {.services = 10});
    test::writeFile(top / "file", Bytes{1});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(top / "in").opened());
    for (const fs::path& out : {top / "file", top / "file" / "below"}) {
        const auto result = ws.save(out);
        ASSERT_FALSE(result.ok()) << out;
        EXPECT_EQ(result.problem->kind(), FileProblem::Kind::WriteFailed);
        EXPECT_EQ(result.problem->path(), (out / "all_channel.dat").string());
        EXPECT_NE(result.problem->detail().find("not a directory"), std::string::npos)
            << result.problem->detail();
    }
    EXPECT_EQ(test::readFile(top / "file"), Bytes{1});
}

} // namespace
} // namespace tavrino
