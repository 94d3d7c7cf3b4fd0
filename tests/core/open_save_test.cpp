#include "database/file_problem.h"
#include "database/layout.h"
#include "tables_in_step.h"
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
using test::imagesOf;
using test::TempDir;

using RoundTrip = std::tuple<int, int, int, int>; // version, services, satellites, bouquets

class OpenSaveRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(OpenSaveRoundTrip, SavesEveryByteBackWithTheVersionByteSet) {
    const auto [version, services, satellites, bouquets] = GetParam();
    TempDir in, out;
    const auto files = test::writeSample(in.path(), {.services = services,
                                                     .satellites = satellites,
                                                     .bouquets = bouquets,
                                                     .version = version,
                                                     .seed = 7});
    for (const char* name : {"all_channel.dat", "DVBS.dat", "DVBT.dat"}) {
        test::writeFile(out / name, Bytes{1});
    }
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(in.path()).opened());
    EXPECT_EQ(ws.services().size(), static_cast<std::size_t>(services));
    ASSERT_TRUE(ws.save(out.path()).ok());

    Bytes channel = files.channel;
    channel[0] = static_cast<std::uint8_t>(std::max(version, 9));
    SatelliteImage antenna{files.antenna};
    if (version < 9) {
        // Every in-use reference re-marked by its satellite number.
        convertAntennaLayout(antenna);
        const auto remark = [&](std::size_t count, int width, std::size_t slots) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(test::get(channel, count, width));
                 ++i) {
                channel[slots + 24 * i] = test::get(channel, slots + 24 * i + 6, 2) > 240 ? 1 : 0;
                channel[slots + 24 * i + 1] = 0;
            }
        };
        for (const auto& table : ch::referenceTables) {
            remark(table.count, 4, table.firstSlot);
        }
        for (std::size_t b = 0; b < 50; ++b) {
            remark(ch::bouquetItemCounts + 2 * b, 2, ch::bouquetItems + 4800 * b);
        }
    }
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), channel);
    EXPECT_EQ(test::readFile(out / "DVBS.dat"), files.dvbs);
    EXPECT_EQ(test::readFile(out / "antenna_list.dat"), antenna.bytes);
    EXPECT_EQ(test::readFile(out / "DVBT.dat"), Bytes{1}) << "not a file the save replaces";
}

INSTANTIATE_TEST_SUITE_P(VersionsAndSizes, OpenSaveRoundTrip,
                         testing::Values(RoundTrip{10, 0, 0, 0}, RoundTrip{10, 1, 1, 1},
                                         RoundTrip{10, 3000, 20, 50}, RoundTrip{9, 500, 6, 8},
                                         RoundTrip{12, 200, 3, 2}, RoundTrip{6, 800, 8, 10},
                                         RoundTrip{6, 0, 2, 0}),
                         [](const auto& param) {
                             return "v" + std::to_string(std::get<0>(param.param)) + "_" +
                                    std::to_string(std::get<1>(param.param)) + "services";
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

// What is wrong with one receiver file of a folder opened over a good one.
struct Damage {
    const char* what;
    const char* file;
    std::function<void(sample::Files&)> damage; // none: `place` takes the file's place
    const char* message;
    FileProblem::Kind kind = FileProblem::Kind::Damaged;
    std::function<void(const fs::path&)> place = nullptr;
};

// Something that is not a regular file, or too big to be one of ours, in the file's place.
Damage unreadable(const char* what, const char* file, std::function<void(const fs::path&)> place,
                  const char* detail) {
    return {what, file, nullptr, detail, FileProblem::Kind::Unreadable, std::move(place)};
}

class DamagedInput : public testing::TestWithParam<Damage> {};

TEST_P(DamagedInput, IsRefusedWithoutBlockingAndLeavesTheWorkspaceWhole) {
    const auto& c = GetParam();
    TempDir good, bad;
    test::writeSample(good.path(), {.services = 40, .satellites = 4, .seed = 3});
    auto files = sample::generate({.services = 20, .satellites = 3, .version = 10, .seed = 4});
    if (c.damage) {
        c.damage(files);
    }
    sample::writeFolder(files, bad.path());
    if (c.place) {
        fs::remove(bad / c.file);
        c.place(bad / c.file);
    }
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(good.path()).opened());
    const auto before = imagesOf(ws);
    ::alarm(30); // a FIFO opened for a blocking read would hang here for good
    const OpenResult result = ws.openFolder(bad.path());
    ::alarm(0);
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->kind(), c.kind);
    EXPECT_EQ(result.problem->path(), (bad / c.file).string());
    const std::string text = result.problem->notice().text;
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    if (c.kind == FileProblem::Kind::Unreadable) {
        EXPECT_EQ(result.problem->oneLine(),
                  (bad / c.file).string() + " cannot be read: " + c.message + ".");
    } else if (c.kind == FileProblem::Kind::Damaged) {
        // One sentence naming the file, then the path; the terminal line names the path.
        const std::string sentence = text.substr(0, text.find("\n\n"));
        EXPECT_EQ(text, sentence + "\n\n" + (bad / c.file).string());
        EXPECT_TRUE(sentence.starts_with(std::string(c.file) + " is damaged: ") &&
                    sentence.ends_with('.'))
            << sentence;
        EXPECT_EQ(sentence.find("at offset"), sentence.rfind("at offset")) << sentence;
        EXPECT_EQ(result.problem->oneLine(),
                  (bad / c.file).string() + sentence.substr(std::strlen(c.file)));
    }
    EXPECT_EQ(imagesOf(ws), before);
    EXPECT_EQ(ws.services().size(), 40u);
}

void makeFifo(const fs::path& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
}
void linkToItself(const fs::path& path) {
    fs::create_symlink(path.filename(), path);
}
// Sparse: nothing is stored, only the length.
auto oversized(std::uintmax_t size) {
    return [size](const fs::path& p) {
        test::writeFile(p, Bytes{10});
        fs::resize_file(p, size);
    };
}
const char* const fifo = "it is a FIFO, not a regular file";
const char* const loop = "too many levels of symbolic links";

const std::size_t firstTransponder = ch::serviceTree + ch::satelliteHeaderSize + 8;

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedInput,
    testing::Values(
        Damage{"empty_channel_file", "all_channel.dat", [](auto& f) { f.channel.clear(); },
               "Error occured: Empty file !!!", FileProblem::Kind::EmptyFile},
        Damage{"version_5", "all_channel.dat", [](auto& f) { f.channel[0] = 5; },
               "Version < 6 is not supported", FileProblem::Kind::OldVersion},
        Damage{"short_file", "all_channel.dat", [](auto& f) { f.channel.resize(5000); },
               "the file ends at 5000, but a channel database has at least 1596600 bytes."},
        Damage{"provider_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::providerCount, 2, 2001); },
               "the provider count at offset 208012 is 2001, more than its 2000 slots."},
        Damage{"provider_key", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::providers + 2, 2, 2001); },
               "the provider record at offset 12 has key 2001, but keys go from 0 to 2000."},
        Damage{"bouquet_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::bouquetCount, 2, 51); },
               "the bouquet count at offset 275618 is 51, more than its 50 slots."},
        Damage{"tree_cut_short", "all_channel.dat",
               [](auto& f) { f.channel.resize(f.channel.size() - 250); }, "bytes from offset"},
        Damage{"service_count_beyond_the_file", "all_channel.dat",
               [](auto& f) { test::put(f.channel, firstTransponder + 10, 2, 65535); },
               "the service list of the transponder at offset 1596608 needs 13107000 bytes from "
               "offset 1596824, but the file ends at"},
        Damage{"negative_transponder_count", "all_channel.dat",
               [](auto& f) { test::put(f.channel, ch::serviceTree + 76, 4, -1); },
               "the satellite block at offset 1596296 has a negative transponder count (-1)."},
        Damage{"satellite_number_256", "all_channel.dat",
               [](auto& f) { test::put(f.channel, firstTransponder + 216 + 116, 4, 256); },
               "the service record at offset 1596824 has satellite number 256, but satellite "
               "numbers go from 0 to 255."},
        Damage{
            "old_file_with_a_reference_count_too_big", "all_channel.dat",
            [](auto& f) {
                f.channel[0] = 6;
                test::put(f.channel, ch::referenceTables[1].count, 4, 10001);
            },
            "the count of reference table 2 at offset 875636 is 10001, more than its 10000 slots."},
        Damage{"empty_antenna_file", "antenna_list.dat", [](auto& f) { f.antenna.clear(); },
               "Error occured: Empty file !!!", FileProblem::Kind::EmptyFile},
        Damage{"antenna_header", "antenna_list.dat", [](auto& f) { f.antenna.resize(20); },
               "the header needs 32 bytes from offset 0, but the file ends at 20"},
        Damage{"antenna_count", "antenna_list.dat",
               [](auto& f) { test::put(f.antenna, 28, 2, 257); },
               "the satellite count at offset 28 is 257, more than 256"},
        Damage{
            "antenna_record", "antenna_list.dat", [](auto& f) { f.antenna.resize(32 + 36 * 2); },
            "the record of satellite 2 needs 36 bytes from offset 104, but the file ends at 104"},
        Damage{"dvbs_header", "DVBS.dat", [](auto& f) { f.dvbs.resize(100); },
               "the header needs 128 bytes from offset 0, but the file ends at 100"},
        Damage{"dvbs_count", "DVBS.dat", [](auto& f) { test::put(f.dvbs, 0, 2, 300); },
               "the satellite count at offset 0 is 300, more than 256"},
        Damage{"dvbs_transponders", "DVBS.dat", [](auto& f) { f.dvbs.pop_back(); },
               "the transponder list of satellite 2 needs"},
        Damage{"dvbs_record", "DVBS.dat", [](auto& f) { test::put(f.dvbs, 0, 2, 4); },
               "the record of satellite 3 needs 124 bytes from offset"},
        unreadable("fifo_channel", "all_channel.dat", makeFifo, fifo),
        unreadable("fifo_dvbs", "DVBS.dat", makeFifo, fifo),
        unreadable(
            "link_to_fifo_dvbs", "DVBS.dat",
            [](const fs::path& p) {
                makeFifo(p.parent_path() / "fifo");
                fs::create_symlink("fifo", p);
            },
            fifo),
        unreadable("loop_channel", "all_channel.dat", linkToItself, loop),
        unreadable("loop_antenna", "antenna_list.dat", linkToItself, loop),
        unreadable(
            "folder_dvbs", "DVBS.dat", [](const fs::path& p) { fs::create_directory(p); },
            "it is a folder, not a regular file"),
        unreadable("oversized_channel", "all_channel.dat", oversized((256u << 20) + 1),
                   "it is 268435457 bytes long, more than the limit of 268435456 bytes (256 MiB, "
                   "far more than a receiver can hold)"),
        unreadable("oversized_dvbs", "DVBS.dat", oversized(604002433),
                   "it is 604002433 bytes long, more than the limit of 604002432 bytes (what 256 "
                   "satellites of 65535 transponders each take)"),
        unreadable("oversized_antenna", "antenna_list.dat", oversized(32805),
                   "it is 32805 bytes long, more than the limit of 32804 bytes (the size of the "
                   "antenna list layout)")),
    [](const auto& param) { return std::string(param.param.what); });

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
    const auto edited = imagesOf(ws);
    EXPECT_EQ(ws.loadSatelliteFiles(b / "antenna_list.dat", b / "wrong.dat").status,
              OpenResult::Status::NothingToOpen);
    EXPECT_EQ(imagesOf(ws), edited);
    ASSERT_TRUE(ws.loadSatelliteFiles(b / "antenna_list.dat", b / "DVBS.dat").opened());
    EXPECT_EQ(ws.files().satelliteFiles.satellites.size(), 2u);
    EXPECT_EQ(ws.history().undoName(), "Open Satellite Files");
    const auto result = ws.saveSatelliteFiles(out.path());
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(test::readFile(out / "DVBS.dat"), other.dvbs);
    EXPECT_EQ(test::readFile(out / "antenna_list.dat"), other.antenna);
    EXPECT_FALSE(fs::exists(out / "all_channel.dat"));

    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(imagesOf(ws), edited);
    EXPECT_EQ(ws.files().satelliteFiles.satellites.size(), 4u);
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(imagesOf(ws), (std::vector{first.channel, first.dvbs, first.antenna}));
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

// A folder without a channel database opens nothing, and nothing is saved from it; a folder
// that is a link to itself, a file, or under a file: refused, naming the file.
TEST(OddFolders, AnEmptyFolderALinkLoopOrAFileInPlaceOfTheFolder) {
    TempDir top;
    fs::create_directory(top / "empty");
    test::writeSample(top / "good", {.services = 10});
    fs::create_directory_symlink("loop", top / "loop");
    test::writeFile(top / "file", Bytes{1});
    Workspace ws;
    EXPECT_EQ(ws.openFolder(top / "empty").status, OpenResult::Status::NothingToOpen);
    const auto nothing = ws.save(top / "empty");
    EXPECT_TRUE(nothing.ok() && nothing.written.empty());
    EXPECT_TRUE(fs::is_empty(top / "empty"));
    ASSERT_TRUE(ws.openFolder(top / "good").opened());
    const auto result = ws.openFolder(top / "loop");
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->oneLine(),
              (top / "loop" / "all_channel.dat").string() + " cannot be read: " + loop + ".");
    for (const fs::path& out : {top / "loop", top / "file", top / "file" / "below"}) {
        const auto saved = ws.save(out);
        ASSERT_FALSE(saved.ok()) << out;
        EXPECT_EQ(saved.problem->path(), (out / "all_channel.dat").string());
        if (out != top / "loop") {
            EXPECT_EQ(saved.problem->kind(), FileProblem::Kind::WriteFailed);
            EXPECT_NE(saved.problem->detail().find("not a directory"), std::string::npos);
        }
    }
    EXPECT_EQ(test::readFile(top / "file"), Bytes{1});
}

} // namespace
} // namespace tavrino
