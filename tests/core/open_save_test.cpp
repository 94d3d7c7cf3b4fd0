#include "database/file_problem.h"
#include "database/layout.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
namespace ch = layout::channel;
using test::TempDir;

struct RoundTrip {
    int version;
    int services;
    int satellites;
    int bouquets;
};

class OpenSaveRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(OpenSaveRoundTrip, SavesEveryByteBackWithTheVersionByteSet) {
    const auto& p = GetParam();
    TempDir in, out;
    const auto files = test::writeSample(in.path(), {.services = p.services,
                                                     .satellites = p.satellites,
                                                     .bouquets = p.bouquets,
                                                     .version = p.version,
                                                     .seed = 7});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(in.path()).opened());
    EXPECT_EQ(ws.services().size(), static_cast<std::size_t>(p.services));
    ASSERT_TRUE(ws.save(out.path()).ok());

    Bytes channel = files.channel;
    channel[0] = static_cast<std::uint8_t>(std::max(p.version, 9));
    if (p.version < 9) {
        // Every in-use reference re-marked by its satellite number.
        SatelliteImage antenna{files.antenna};
        convertAntennaLayout(antenna);
        EXPECT_EQ(test::readFile(out / "antenna_list.dat"), antenna.bytes);
        for (const auto& table : ch::referenceTables) {
            for (std::int64_t i = 0; i < test::get(channel, table.count, 4); ++i) {
                const std::size_t s = table.firstSlot + 24 * static_cast<std::size_t>(i);
                channel[s] = test::get(channel, s + 6, 2) > 240 ? 1 : 0;
                channel[s + 1] = 0;
            }
        }
        for (std::size_t b = 0; b < 50; ++b) {
            for (std::int64_t j = 0; j < test::get(channel, ch::bouquetItemCounts + 2 * b, 2);
                 ++j) {
                const std::size_t s =
                    ch::bouquetItems + 4800 * b + 24 * static_cast<std::size_t>(j);
                channel[s] = test::get(channel, s + 6, 2) > 240 ? 1 : 0;
                channel[s + 1] = 0;
            }
        }
    } else {
        EXPECT_EQ(test::readFile(out / "antenna_list.dat"), files.antenna);
    }
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), channel);
    EXPECT_EQ(test::readFile(out / "DVBS.dat"), files.dvbs);
    EXPECT_FALSE(ws.modified());
}

INSTANTIATE_TEST_SUITE_P(VersionsAndSizes, OpenSaveRoundTrip,
                         testing::Values(RoundTrip{10, 0, 0, 0}, RoundTrip{10, 1, 1, 1},
                                         RoundTrip{10, 3000, 20, 50}, RoundTrip{9, 500, 6, 8},
                                         RoundTrip{12, 200, 3, 2}, RoundTrip{6, 800, 8, 10},
                                         RoundTrip{6, 0, 2, 0}),
                         [](const auto& param) {
                             const RoundTrip& p = param.param;
                             return "v" + std::to_string(p.version) + "_" +
                                    std::to_string(p.services) + "services";
                         });

// The version saved only grows during a run.
TEST(OpenFiles, ANewerVersionOpenedBeforeRaisesTheVersionSaved) {
    TempDir v6, v10, out;
    test::writeSample(v6.path(), {.version = 6});
    test::writeSample(v10.path(), {.version = 10});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(v10.path()).opened());
    ASSERT_TRUE(ws.openFolder(v6.path()).opened()); // the round trips show 6 saved as 9
    ASSERT_TRUE(ws.save(out.path()).ok());
    EXPECT_EQ(test::readFile(out / "all_channel.dat")[0], 10);
}

struct Damage {
    const char* what;
    const char* file;
    std::function<void(sample::Files&)> damage;
    FileProblem::Kind kind;
    const char* message;
};

class DamagedInput : public testing::TestWithParam<Damage> {};

TEST_P(DamagedInput, IsRefusedAndLeavesTheWorkspaceWhole) {
    const auto& c = GetParam();
    TempDir good, bad;
    test::writeSample(good.path(), {.services = 300, .satellites = 4, .seed = 3});
    auto files = sample::generate({.services = 200, .satellites = 3, .version = 10, .seed = 4});
    c.damage(files);
    sample::writeFolder(files, bad.path());

    Workspace ws;
    ASSERT_TRUE(ws.openFolder(good.path()).opened());
    const ReceiverFiles before = ws.files();
    const OpenResult result = ws.openFolder(bad.path());
    ASSERT_EQ(result.status, OpenResult::Status::Refused) << c.what;
    EXPECT_EQ(result.problem->kind(), c.kind) << c.what;
    EXPECT_EQ(result.problem->path(), (bad / c.file).string()) << c.what;
    const std::string text = result.problem->notice().text;
    EXPECT_NE(text.find(c.message), std::string::npos) << c.what << ": " << text;
    if (c.kind == FileProblem::Kind::Damaged) {
        // One sentence naming the file, then the path; the terminal line names the path.
        const std::string sentence = text.substr(0, text.find("\n\n"));
        EXPECT_EQ(sentence.rfind(std::string(c.file) + " is damaged: ", 0), 0u) << sentence;
        EXPECT_EQ(sentence.back(), '.') << sentence;
        EXPECT_EQ(sentence.find("at offset"), sentence.rfind("at offset")) << sentence;
        EXPECT_EQ(text.substr(sentence.size()), "\n\n" + (bad / c.file).string());
        EXPECT_EQ(result.problem->oneLine(),
                  (bad / c.file).string() + sentence.substr(std::strlen(c.file)));
    }
    EXPECT_EQ(ws.files().channel, before.channel);
    EXPECT_EQ(ws.files().satelliteFiles.dvbs, before.satelliteFiles.dvbs);
    EXPECT_EQ(ws.files().satelliteFiles.antenna, before.satelliteFiles.antenna);
    EXPECT_EQ(ws.services().size(), 300u);
}

const std::size_t firstTransponder = ch::serviceTree + ch::satelliteHeaderSize + 8;

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedInput,
    testing::Values(
        Damage{"empty_channel_file", "all_channel.dat", [](auto& f) { f.channel.clear(); },
               FileProblem::Kind::EmptyFile, "Error occured: Empty file !!!"},
        Damage{"version_5", "all_channel.dat", [](auto& f) { f.channel[0] = 5; },
               FileProblem::Kind::OldVersion, "Version < 6 is not supported"},
        Damage{"short_file", "all_channel.dat", [](auto& f) { f.channel.resize(5000); },
               FileProblem::Kind::Damaged,
               "is damaged: the file ends at 5000, but a channel database has at least 1596600 "
               "bytes."},
        Damage{"provider_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::providerCount, 2, 2001); },
               FileProblem::Kind::Damaged,
               "is damaged: the provider count at offset 208012 is 2001, more than its 2000 "
               "slots."},
        Damage{"provider_key", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::providers + 2, 2, 2001); },
               FileProblem::Kind::Damaged,
               "is damaged: the provider record at offset 12 has key 2001, but keys go from 0 "
               "to 2000."},
        Damage{"bouquet_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::bouquetCount, 2, 51); },
               FileProblem::Kind::Damaged,
               "is damaged: the bouquet count at offset 275618 is 51, more than its 50 slots."},
        Damage{"tree_cut_short", "all_channel.dat",
               [](auto& f) { f.channel.resize(f.channel.size() - 250); },
               FileProblem::Kind::Damaged, "bytes from offset"},
        Damage{"service_count_beyond_the_file", "all_channel.dat",
               [](auto& f) { test::put(f.channel, firstTransponder + 10, 2, 65535); },
               FileProblem::Kind::Damaged,
               "is damaged: the service list of the transponder at offset 1596608 needs "
               "13107000 bytes from offset 1596824, but the file ends at"},
        Damage{"negative_transponder_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::serviceTree + 76, 4, -1); },
               FileProblem::Kind::Damaged,
               "is damaged: the satellite block at offset 1596296 has a negative transponder "
               "count (-1)."},
        Damage{"satellite_number_256", "all_channel.dat",
               [](auto& f) { test::put(f.channel, firstTransponder + 216 + 116, 4, 256); },
               FileProblem::Kind::Damaged,
               "is damaged: the service record at offset 1596824 has satellite number 256, but "
               "satellite numbers go from 0 to 255."},
        Damage{"old_file_with_a_reference_count_too_big", "all_channel.dat",
               [](auto& f) {
                   f.channel[0] = 6;
                   test::put(f.channel, ch::referenceTables[1].count, 4, 10001);
               },
               FileProblem::Kind::Damaged,
               "is damaged: the count of reference table 2 at offset 875636 is 10001, more than "
               "its 10000 slots."},
        Damage{"empty_antenna_file", "antenna_list.dat", [](auto& f) { f.antenna.clear(); },
               FileProblem::Kind::EmptyFile, "Error occured: Empty file !!!"}),
    [](const auto& param) { return std::string(param.param.what); });

TEST(OpenFiles, AFolderWithoutChannelDatabaseOpensNothingAndNothingIsSaved) {
    TempDir empty, out;
    Workspace ws;
    EXPECT_EQ(ws.openFolder(empty.path()).status, OpenResult::Status::NothingToOpen);
    EXPECT_FALSE(ws.channelLoaded());
    const auto result = ws.save(out.path());
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(SaveFiles, ReplacesTheThreeFilesAndLeavesTheOthersAlone) {
    TempDir in, out;
    const auto files = test::writeSample(in.path(), {});
    for (const char* name :
         {"all_channel.dat", "DVBS.dat", "antenna_list.dat", "DVBCa.dat", "DVBT.dat"}) {
        test::writeFile(out / name, Bytes{1, 2, 3});
    }
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(in.path()).opened());
    const auto result = ws.save(out.path());
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(test::readFile(out / "DVBS.dat"), files.dvbs);
    EXPECT_EQ(test::readFile(out / "DVBCa.dat"), (Bytes{1, 2, 3}));
    EXPECT_EQ(test::readFile(out / "DVBT.dat"), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 5);
}

// Satellite files load both or neither and save without the version byte; the load is a step
// of its own, so steps taken before it never write into the files loaded after them.
TEST(SatelliteFilesOnly, LoadBothOrNothingAsAStepAndSaveWithoutTheVersionByte) {
    TempDir a, b, out;
    const auto first = test::writeSample(a.path(), {.satellites = 4, .version = 10, .seed = 1});
    const auto other = test::writeSample(b.path(), {.satellites = 2, .seed = 9});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(a.path()).opened());
    {
        const auto step = ws.beginEdit("Edit");
        ws.dvbsEditor().writeNumber(200, 1, 7);
    }
    const Bytes edited = ws.files().satelliteFiles.dvbs.bytes;
    EXPECT_EQ(ws.loadSatelliteFiles(b / "antenna_list.dat", b / "wrong.dat").status,
              OpenResult::Status::NothingToOpen);
    EXPECT_EQ(ws.files().satelliteFiles.dvbs.bytes, edited);
    ASSERT_TRUE(ws.loadSatelliteFiles(b / "antenna_list.dat", b / "DVBS.dat").opened());
    EXPECT_EQ(ws.files().satelliteFiles.satellites.size(), 2u);
    EXPECT_EQ(ws.history().undoName(), "Open Satellite Files");
    const auto result = ws.saveSatelliteFiles(out.path());
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.written.size(), 2u);
    EXPECT_EQ(test::readFile(out / "DVBS.dat"), other.dvbs);
    EXPECT_FALSE(fs::exists(out / "all_channel.dat"));

    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.files().satelliteFiles.dvbs.bytes, edited);
    EXPECT_EQ(ws.files().satelliteFiles.satellites.size(), 4u);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.files().satelliteFiles.dvbs.bytes, first.dvbs);
    EXPECT_EQ(ws.files().satelliteFiles.antenna.bytes, first.antenna);
}

// Staged files may lack antenna_list.dat, and then no older antenna image is kept; the channel
// and transponder files must be there.
TEST(StagedFiles, AntennaFileMayBeMissingTheOthersNot) {
    TempDir staged;
    test::writeSample(staged.path(), {});
    Workspace ws;
    ASSERT_TRUE(ws.openStaged(staged.path()).opened());
    ASSERT_TRUE(ws.files().satelliteFiles.antenna.loaded());
    fs::remove(staged / "antenna_list.dat");
    ASSERT_TRUE(ws.openStaged(staged.path()).opened());
    EXPECT_FALSE(ws.files().satelliteFiles.antenna.loaded());
    EXPECT_TRUE(ws.files().satelliteFiles.dvbs.loaded());
    fs::remove(staged / "DVBS.dat");
    const auto result = ws.openStaged(staged.path());
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->notice().text,
              "Error occured: Empty file !!!\n\n" + (staged / "DVBS.dat").string());
}

// ---- Files that are not regular files, folders in odd states ----

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
        NonRegularFile{"link_to_fifo_dvbs", "DVBS.dat", makeLinkedFifo, fifo},
        NonRegularFile{"loop_channel", "all_channel.dat", makeLoop, loop},
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
