#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/folder_lock.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

const std::vector<std::string> receiverNames = {"all_channel.dat", "DVBS.dat", "antenna_list.dat"};

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Renames and links that fail on a chosen call, standing in for an immutable or locked file.
int renameCalls = 0;
int failingRename = 0;

int renameFailingOnce(const char* from, const char* to) {
    if (++renameCalls == failingRename) {
        errno = EPERM;
        return -1;
    }
    return std::rename(from, to);
}

int linkUnsupported(const char*, const char*) {
    errno = EPERM; // as vfat answers
    return -1;
}

struct GroupFailure {
    const char* what;
    int failingRename;
    bool linksWork;
    std::set<std::string> absentBefore;
};

class FailedGroupCommit : public testing::TestWithParam<GroupFailure> {};

TEST_P(FailedGroupCommit, PutsTheOldFilesBackAndSaysSo) {
    const auto& c = GetParam();
    TempDir folder;
    std::vector<FileToWrite> writes;
    std::vector<Bytes> fresh;
    for (const auto& name : receiverNames) {
        if (!c.absentBefore.count(name)) {
            test::writeFile(folder / name, text("old " + name));
            ::chmod((folder / name).c_str(), 0640);
        }
        fresh.push_back(text("new " + name));
    }
    for (std::size_t i = 0; i < receiverNames.size(); ++i) {
        writes.push_back({folder / receiverNames[i], fresh[i]});
    }
    renameCalls = 0;
    failingRename = c.failingRename;
    FileSystemCalls calls;
    calls.replace = renameFailingOnce;
    calls.link = c.linksWork ? nullptr : linkUnsupported;

    try {
        (void)writeFilesAtomically(writes, calls);
        FAIL() << "the save reported success";
    } catch (const FileProblem& e) {
        EXPECT_EQ(e.kind(), FileProblem::Kind::WriteFailed);
        EXPECT_EQ(e.path(), writes[static_cast<std::size_t>(c.failingRename - 1)].path.string());
        EXPECT_NE(e.detail().find("every file was left as it was before the save"),
                  std::string::npos)
            << e.detail();
    }
    std::set<std::string> expected;
    for (const auto& name : receiverNames) {
        if (c.absentBefore.count(name)) {
            continue;
        }
        expected.insert(name);
        EXPECT_EQ(test::readFile(folder / name), text("old " + name)) << name;
        struct stat info {};
        ::stat((folder / name).c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0640u) << name;
    }
    EXPECT_EQ(test::entries(folder.path()), expected) << "no journal, copy or temporary is left";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FailedGroupCommit,
    testing::Values(GroupFailure{"second_rename", 2, true, {}},
                    GroupFailure{"last_rename", 3, true, {}},
                    GroupFailure{"second_rename_without_links", 2, false, {}},
                    GroupFailure{"last_rename_after_a_new_file", 3, true, {"DVBS.dat"}}),
    [](const auto& param) { return std::string(param.param.what); });

TEST(GroupCommit, ReplacesEveryFileWhenLinksAreNotSupported) {
    TempDir folder;
    test::writeFile(folder / "DVBS.dat", text("old"));
    const Bytes a = text("new a"), b = text("new b");
    FileSystemCalls calls;
    calls.link = linkUnsupported;
    EXPECT_FALSE(
        writeFilesAtomically({{folder / "DVBS.dat", a}, {folder / "antenna_list.dat", b}}, calls));
    EXPECT_EQ(test::readFile(folder / "DVBS.dat"), a);
    EXPECT_EQ(test::readFile(folder / "antenna_list.dat"), b);
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"DVBS.dat", "antenna_list.dat"}));
}

// Another process removing this save's temporaries (as every open once did) must make the save
// fail and put the old files back, never report files it did not write.
int renamesSeen = 0;
std::filesystem::path vanishingFolder;

int renameAfterOthersVanish(const char* from, const char* to) {
    if (++renamesSeen == 1) {
        for (const auto& name : test::entries(vanishingFolder)) {
            if (name.find(".tmp-") != std::string::npos && from != (vanishingFolder / name)) {
                fs::remove(vanishingFolder / name);
            }
        }
    }
    return std::rename(from, to);
}

TEST(GroupCommit, TemporariesThatVanishFailTheSaveAndLeaveTheOldFiles) {
    TempDir folder;
    std::vector<FileToWrite> writes;
    std::vector<Bytes> fresh;
    fresh.reserve(receiverNames.size());
    for (const auto& name : receiverNames) {
        test::writeFile(folder / name, text("old " + name));
        fresh.push_back(text("new " + name));
        writes.push_back({folder / name, fresh.back()});
    }
    renamesSeen = 0;
    vanishingFolder = folder.path();
    FileSystemCalls calls;
    calls.replace = renameAfterOthersVanish;
    try {
        (void)writeFilesAtomically(writes, calls);
        FAIL() << "the save reported success";
    } catch (const FileProblem& e) {
        EXPECT_EQ(e.path(), (folder / "DVBS.dat").string());
        EXPECT_NE(e.detail().find("vanished"), std::string::npos) << e.detail();
        EXPECT_NE(e.detail().find("every file was left as it was"), std::string::npos);
    }
    for (const auto& name : receiverNames) {
        EXPECT_EQ(test::readFile(folder / name), text("old " + name)) << name;
    }
    EXPECT_EQ(test::entries(folder.path()),
              std::set<std::string>(receiverNames.begin(), receiverNames.end()));
}

TEST(GroupCommit, NewFilesGetWhatTheUmaskAllowsAndReplacedOnesKeepTheirMode) {
    TempDir folder;
    test::writeFile(folder / "DVBS.dat", text("old"));
    ::chmod((folder / "DVBS.dat").c_str(), 0640);
    const mode_t before = ::umask(027);
    const Bytes a = text("a"), b = text("b");
    (void)writeFilesAtomically({{folder / "DVBS.dat", a}, {folder / "antenna_list.dat", b}});
    ::umask(before);
    struct stat info {};
    ::stat((folder / "DVBS.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    ::stat((folder / "antenna_list.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "0666 less the umask, not a fixed 0644";
}

// A save killed part-way, laid out by hand as the save leaves it: per step, whether its
// rename had happened and (while undoing) whether its old file was back already.
struct StepState {
    bool renamed;
    bool restored = false;
};

struct Interrupted {
    const char* what;
    const char* journalState;
    std::vector<StepState> steps;
    bool savedFilesWin; // the folder ends with the saved files, else with the old ones
    const char* note;
};

class InterruptedSave : public testing::TestWithParam<Interrupted> {};

void layOut(const TempDir& folder, const Interrupted& c, const sample::Files& before,
            const sample::Files& saved) {
    const std::vector<const Bytes*> old = {&before.channel, &before.dvbs, &before.antenna};
    const std::vector<const Bytes*> fresh = {&saved.channel, &saved.dvbs, &saved.antenna};
    std::string journal = std::string(c.journalState) + "\n";
    for (std::size_t i = 0; i < receiverNames.size(); ++i) {
        const std::string& name = receiverNames[i];
        const std::string suffix = "Ab12C" + std::to_string(i);
        const std::string temp = "." + name + ".tmp-" + suffix;
        const std::string kept = "." + name + ".old-" + suffix;
        journal += name + "\t" + temp + "\t" + kept + "\n";
        const StepState s = c.steps[i];
        test::writeFile(folder / name, s.renamed && !s.restored ? *fresh[i] : *old[i]);
        if (!s.restored) {
            test::writeFile(folder / kept, *old[i]);
        }
        if (!s.renamed) {
            test::writeFile(folder / temp, *fresh[i]);
        }
    }
    test::writeFile(folder / ".tavrino-save", text(journal));
}

TEST_P(InterruptedSave, IsFinishedOrUndoneAtTheNextOpen) {
    const auto& c = GetParam();
    TempDir folder;
    const auto before = sample::generate({.services = 50, .satellites = 3, .seed = 1});
    const auto saved = sample::generate({.services = 80, .satellites = 4, .seed = 2});
    layOut(folder, c, before, saved);
    test::writeFile(folder / ".DVBS.dat.tmp-Zz9yX8", text("debris of an older save"));
    test::writeFile(folder / "DVBT.dat", text("not ours"));
    test::writeFile(folder / ".hidden", text("not ours either"));

    Workspace ws;
    const OpenResult result = ws.openFolder(folder.path());
    ASSERT_TRUE(result.opened()) << result.problem->oneLine();
    ASSERT_TRUE(result.note);
    EXPECT_EQ(*result.note, "A save to " + folder.path().string() + " was cut short" + c.note);
    const sample::Files& expected = c.savedFilesWin ? saved : before;
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), expected.channel);
    EXPECT_EQ(test::readFile(folder / "DVBS.dat"), expected.dvbs);
    EXPECT_EQ(test::readFile(folder / "antenna_list.dat"), expected.antenna);
    EXPECT_EQ(ws.files().channel.bytes, expected.channel);
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat", "DVBT.dat",
                                     ".hidden"}));
    EXPECT_FALSE(ws.openFolder(folder.path()).note) << "nothing is left to recover";
}

const char* const completed = "; it has now been completed.";
const char* const putBack = "; the files from before it were put back.";

INSTANTIATE_TEST_SUITE_P(States, InterruptedSave,
                         testing::Values(Interrupted{"before_the_first_rename",
                                                     "tavrino save 1 forward",
                                                     {{false}, {false}, {false}},
                                                     true,
                                                     completed},
                                         Interrupted{"between_renames",
                                                     "tavrino save 1 forward",
                                                     {{true}, {false}, {false}},
                                                     true,
                                                     completed},
                                         Interrupted{"after_the_last_rename",
                                                     "tavrino save 1 forward",
                                                     {{true}, {true}, {true}},
                                                     true,
                                                     completed},
                                         Interrupted{"while_undoing",
                                                     "tavrino save 1 undo",
                                                     {{true, true}, {true}, {false}},
                                                     false,
                                                     putBack}),
                         [](const auto& param) { return std::string(param.param.what); });

TEST(InterruptedSave, IsUndoneWhereItCannotBeFinished) {
    TempDir folder;
    test::writeFile(folder / "DVBS.dat", text("new a"));
    test::writeFile(folder / ".DVBS.dat.old-Ab12C0", text("old a"));
    fs::create_directories(folder / "antenna_list.dat" / "in the way");
    test::writeFile(folder / ".antenna_list.dat.tmp-Ab12C1", text("new b"));
    test::writeFile(
        folder / ".tavrino-save",
        text("tavrino save 1 forward\nDVBS.dat\t.DVBS.dat.tmp-Ab12C0\t"
             ".DVBS.dat.old-Ab12C0\nantenna_list.dat\t.antenna_list.dat.tmp-Ab12C1\t-\n"));
    const auto note = recoverInterruptedSave(folder.path());
    ASSERT_TRUE(note);
    EXPECT_EQ(*note, "A save to " + folder.path().string() +
                         " was cut short and could not be completed (antenna_list.dat: is a "
                         "directory); the files from before it were put back.");
    EXPECT_EQ(test::readFile(folder / "DVBS.dat"), text("old a"));
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"DVBS.dat", "antenna_list.dat"}));
}

// A journal the program did not write, or one that names anything but the receiver files and
// their hidden files, is refused whole: the open says so and nothing in the folder changes.
struct PlantedJournal {
    const char* what;
    const char* journal;
    const char* problem; // the end of "line 2 is not a step of a save: ..."
};

class PlantedJournals : public testing::TestWithParam<PlantedJournal> {};

TEST_P(PlantedJournals, RefuseTheOpenAndTouchNothing) {
    const auto& c = GetParam();
    TempDir folder;
    const auto files = test::writeSample(folder.path(), {.services = 20});
    test::writeFile(folder / "thesis.pdf", text("years of work"));
    test::writeFile(folder / "notes.txt", text("notes"));
    test::writeFile(folder / ".notes.txt.tmp-Ab12C0", text("planted"));
    test::writeFile(folder / ".all_channel.dat.tmp-Ab12C0", text("planted"));
    fs::create_symlink("thesis.pdf", folder / ".DVBS.dat.tmp-Ab12C0");
    test::writeFile(folder / ".tavrino-save", text(c.journal));
    const auto before = test::entries(folder.path());

    Workspace ws;
    const auto result = ws.openFolder(folder.path());
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->oneLine(),
              (folder / ".tavrino-save").string() +
                  " is damaged: line 2 is not a step of a save: " + c.problem +
                  "; nothing in the folder was changed (if no save was cut short here, remove "
                  ".tavrino-save).");
    EXPECT_EQ(test::entries(folder.path()), before);
    EXPECT_EQ(test::readFile(folder / "thesis.pdf"), text("years of work"));
    EXPECT_EQ(test::readFile(folder / "notes.txt"), text("notes"));
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), files.channel);
}

INSTANTIATE_TEST_SUITE_P(
    Journals, PlantedJournals,
    testing::Values(
        PlantedJournal{"other_files_in_undo",
                       "tavrino save 1 undo\nthesis.pdf\t.thesis.pdf.tmp-Ab12C0\t-\n",
                       "\"thesis.pdf\" is not a file a save replaces"},
        PlantedJournal{"other_files_forward",
                       "tavrino save 1 forward\nnotes.txt\t.notes.txt.tmp-Ab12C0\t-\n",
                       "\"notes.txt\" is not a file a save replaces"},
        PlantedJournal{"a_path_for_a_temporary",
                       "tavrino save 1 forward\nall_channel.dat\t../../etc/passwd\t-\n",
                       "\"../../etc/passwd\" is not a name a save gives a new all_channel.dat"},
        PlantedJournal{"another_file's_temporary",
                       "tavrino save 1 forward\nall_channel.dat\t.notes.txt.tmp-Ab12C0\t-\n",
                       "\".notes.txt.tmp-Ab12C0\" is not a name a save gives a new "
                       "all_channel.dat"},
        PlantedJournal{"an_old_copy_named_elsewhere",
                       "tavrino save 1 undo\nall_channel.dat\t.all_channel.dat.tmp-Ab12C0\t"
                       "thesis.pdf\n",
                       "\"thesis.pdf\" is not a name a save gives an old all_channel.dat"},
        PlantedJournal{"a_temporary_that_is_a_link",
                       "tavrino save 1 forward\nDVBS.dat\t.DVBS.dat.tmp-Ab12C0\t-\n",
                       ".DVBS.dat.tmp-Ab12C0 is not a plain file"},
        PlantedJournal{"a_control_character", "tavrino save 1 undo\nall_channel.dat\x01\t.x\t-\n",
                       "\"all_channel.dat\\x01\" is not a file a save replaces"}),
    [](const auto& param) {
        std::string name = param.param.what;
        std::replace(name.begin(), name.end(), '\'', '_');
        return name;
    });

// While another Tavrino holds the folder, its hidden files belong to a save in progress.
TEST(InterruptedSave, HiddenFilesOfARunningSaveAreLeftAlone) {
    TempDir folder;
    test::writeSample(folder.path(), {.services = 20});
    test::writeFile(folder / ".all_channel.dat.tmp-q1W2e3", Bytes(1000, 7));
    test::writeFile(
        folder / ".tavrino-save",
        text("tavrino save 1 forward\nall_channel.dat\t.all_channel.dat.tmp-q1W2e3\t-\n"));
    const auto before = test::entries(folder.path());
    {
        const test::LockHeldElsewhere held(folder.path());
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(recoverInterruptedSave(folder.path()));
        EXPECT_EQ(test::entries(folder.path()), before);
    }
    EXPECT_TRUE(recoverInterruptedSave(folder.path())) << "once it lets go, the save is finished";
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), Bytes(1000, 7));
}

TEST(InterruptedSave, LeftoverTemporariesAreRemovedAtOpenAndSave) {
    TempDir in, out;
    test::writeSample(in.path(), {.services = 20});
    const std::set<std::string> three = {"all_channel.dat", "DVBS.dat", "antenna_list.dat"};
    for (const auto& folder : {&in, &out}) {
        test::writeFile(*folder / ".all_channel.dat.tmp-q1W2e3", Bytes(1000, 7));
        test::writeFile(*folder / ".DVBS.dat.old-R4t5Y6", Bytes(10, 7));
    }
    Workspace ws;
    const auto opened = ws.openFolder(in.path());
    ASSERT_TRUE(opened.opened());
    EXPECT_EQ(opened.note, "Removed 2 temporary files that an interrupted save had left in " +
                               in.path().string() + ".");
    EXPECT_EQ(test::entries(in.path()), three);
    const auto saved = ws.save(out.path());
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.note, "Removed 2 temporary files that an interrupted save had left in " +
                              out.path().string() + ".");
    EXPECT_EQ(test::entries(out.path()), three);
}

} // namespace
} // namespace tavrino
