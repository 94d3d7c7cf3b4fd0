#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/folder_lock.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <cerrno>
#include <cstdio>
#include <deque>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;

const std::vector<std::string> receiverNames = {"all_channel.dat", "DVBS.dat", "antenna_list.dat"};

// Renames and links that fail on a chosen call, standing in for an immutable or locked file.
int renameCalls = 0;
int failingRename = 0;
fs::path savingFolder;

int renameFailingOnce(const char* from, const char* to) {
    if (++renameCalls == failingRename) {
        errno = EPERM;
        return -1;
    }
    return std::rename(from, to);
}

// Another process removing this save's temporaries (as every open once did) must make the save
// fail and put the old files back, never report files it did not write.
int renameAfterOthersVanish(const char* from, const char* to) {
    if (++renameCalls == 1) {
        for (const auto& name : test::entries(savingFolder)) {
            if (name.find(".tmp-") != std::string::npos && from != (savingFolder / name)) {
                fs::remove(savingFolder / name);
            }
        }
    }
    return std::rename(from, to);
}

int linkUnsupported(const char*, const char*) {
    errno = EPERM; // as vfat answers
    return -1;
}

struct GroupFailure {
    const char* what;
    int (*replace)(const char*, const char*);
    int failingFile; // 1-based: the file the refusal names
    bool linksWork;
    std::set<std::string> absentBefore;
    const char* detail = "every file was left as it was before the save";
};

class FailedGroupCommit : public testing::TestWithParam<GroupFailure> {};

TEST_P(FailedGroupCommit, PutsTheOldFilesBackAndSaysSo) {
    const auto& c = GetParam();
    TempDir folder;
    std::deque<Bytes> fresh; // its elements stay in place as it grows
    std::vector<FileToWrite> writes;
    std::set<std::string> old;
    for (const auto& name : receiverNames) {
        writes.push_back({folder / name, fresh.emplace_back(name.begin(), name.end())});
        if (!c.absentBefore.count(name)) {
            writeText(folder / name, "old " + name);
            ::chmod((folder / name).c_str(), 0640);
            old.insert(name);
        }
    }
    renameCalls = 0;
    failingRename = c.failingFile;
    savingFolder = folder.path();
    const FileSystemCalls calls{c.replace, c.linksWork ? nullptr : linkUnsupported};
    const auto problem = test::problemOf([&] { (void)writeFilesAtomically(writes, calls); });
    ASSERT_TRUE(problem) << "the save reported success";
    EXPECT_EQ(problem->kind(), FileProblem::Kind::WriteFailed);
    EXPECT_EQ(problem->path(), writes[static_cast<std::size_t>(c.failingFile - 1)].path.string());
    EXPECT_NE(problem->detail().find(c.detail), std::string::npos) << problem->detail();
    EXPECT_NE(problem->detail().find("every file was left as it was"), std::string::npos);
    for (const auto& name : old) {
        EXPECT_EQ(readText(folder / name), "old " + name) << name;
        EXPECT_EQ(test::modeOf(folder / name), 0640u) << name;
    }
    EXPECT_EQ(test::entries(folder.path()), old) << "no journal, copy or temporary is left";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FailedGroupCommit,
    testing::Values(
        GroupFailure{"second_rename", renameFailingOnce, 2, true, {}},
        GroupFailure{"second_rename_without_links", renameFailingOnce, 2, false, {}},
        GroupFailure{"last_rename_after_a_new_file", renameFailingOnce, 3, true, {"DVBS.dat"}},
        GroupFailure{"temporaries_that_vanish", renameAfterOthersVanish, 2, true, {}, "vanished"}),
    [](const auto& param) { return std::string(param.param.what); });

// Without links (vfat) every file is still replaced; a replaced file keeps its mode and a new
// one gets 0666 less the umask, not a fixed 0644.
TEST(GroupCommit, ReplacesEveryFileWithoutLinksAndGivesNewOnesTheUmasksMode) {
    TempDir folder;
    writeText(folder / "DVBS.dat", "old");
    ::chmod((folder / "DVBS.dat").c_str(), 0600);
    const Bytes a = {'a'}, b = {'b'};
    const mode_t before = ::umask(027);
    const auto note = writeFilesAtomically(
        {{folder / "DVBS.dat", a}, {folder / "antenna_list.dat", b}}, {nullptr, linkUnsupported});
    ::umask(before);
    EXPECT_FALSE(note);
    EXPECT_EQ(test::readFile(folder / "DVBS.dat"), a);
    EXPECT_EQ(test::readFile(folder / "antenna_list.dat"), b);
    EXPECT_EQ(test::modeOf(folder / "DVBS.dat"), 0600u);
    EXPECT_EQ(test::modeOf(folder / "antenna_list.dat"), 0640u);
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"DVBS.dat", "antenna_list.dat"}));
}

// A save killed part-way, laid out by hand as the save leaves it: per file, '.' when its rename
// had not happened, 'R' when it had, 'B' when (while undoing) its old file was back already.
// Going forward it is finished; once undoing, it is undone.
struct Interrupted {
    const char* what;
    const char* direction;
    const char* steps;
};

class InterruptedSave : public testing::TestWithParam<Interrupted> {};

void layOut(const TempDir& folder, const Interrupted& c, const sample::Files& before,
            const sample::Files& saved) {
    const std::vector<const Bytes*> old = {&before.channel, &before.dvbs, &before.antenna};
    const std::vector<const Bytes*> fresh = {&saved.channel, &saved.dvbs, &saved.antenna};
    std::string journal = std::string("tavrino save 1 ") + c.direction + "\n";
    for (std::size_t i = 0; i < receiverNames.size(); ++i) {
        const std::string& name = receiverNames[i];
        const std::string suffix = "Ab12C" + std::to_string(i);
        const std::string temp = "." + name + ".tmp-" + suffix;
        const std::string kept = "." + name + ".old-" + suffix;
        journal += name + "\t" + temp + "\t" + kept + "\n";
        const char step = c.steps[i];
        test::writeFile(folder / name, step == 'R' ? *fresh[i] : *old[i]);
        if (step != 'B') {
            test::writeFile(folder / kept, *old[i]);
        }
        if (step == '.') {
            test::writeFile(folder / temp, *fresh[i]);
        }
    }
    writeText(folder / ".tavrino-save", journal);
}

TEST_P(InterruptedSave, IsFinishedOrUndoneAtTheNextOpen) {
    const auto& c = GetParam();
    TempDir folder;
    const auto before = sample::generate({.services = 50, .satellites = 3, .seed = 1});
    const auto saved = sample::generate({.services = 80, .satellites = 4, .seed = 2});
    layOut(folder, c, before, saved);
    writeText(folder / ".DVBS.dat.tmp-Zz9yX8", "debris of an older save");
    writeText(folder / "DVBT.dat", "not ours");
    writeText(folder / ".hidden", "not ours either");

    // A look that writes nothing cannot make the files whole, so it reads none of them.
    const auto laidOut = test::entries(folder.path());
    Workspace look;
    const OpenResult refused = look.openFolderReadOnly(folder.path());
    ASSERT_EQ(refused.status, OpenResult::Status::Refused);
    EXPECT_EQ(refused.problem->path(), folder.path().string());
    EXPECT_EQ(test::entries(folder.path()), laidOut);
    EXPECT_FALSE(look.channelLoaded());

    Workspace ws;
    const OpenResult result = ws.openFolder(folder.path());
    ASSERT_TRUE(result.opened()) << result.problem->oneLine();
    const bool forward = c.direction == std::string("forward");
    EXPECT_EQ(result.note, "A save to " + folder.path().string() + " was cut short" +
                               (forward ? "; it has now been completed."
                                        : "; the files from before it were put back."));
    const sample::Files& expected = forward ? saved : before;
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), expected.channel);
    EXPECT_EQ(test::readFile(folder / "DVBS.dat"), expected.dvbs);
    EXPECT_EQ(test::readFile(folder / "antenna_list.dat"), expected.antenna);
    EXPECT_EQ(ws.files().channel.bytes, expected.channel);
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat", "DVBT.dat",
                                     ".hidden"}));
    EXPECT_FALSE(ws.openFolder(folder.path()).note) << "nothing is left to recover";
}

INSTANTIATE_TEST_SUITE_P(States, InterruptedSave,
                         testing::Values(Interrupted{"before_the_first_rename", "forward", "..."},
                                         Interrupted{"between_renames", "forward", "R.."},
                                         Interrupted{"after_the_last_rename", "forward", "RRR"},
                                         Interrupted{"while_undoing", "undo", "BR."}),
                         [](const auto& param) { return std::string(param.param.what); });

TEST(InterruptedSave, IsUndoneWhereItCannotBeFinished) {
    TempDir folder;
    writeText(folder / "DVBS.dat", "new a");
    writeText(folder / ".DVBS.dat.old-Ab12C0", "old a");
    fs::create_directories(folder / "antenna_list.dat" / "in the way");
    writeText(folder / ".antenna_list.dat.tmp-Ab12C1", "new b");
    writeText(folder / ".tavrino-save",
              "tavrino save 1 forward\nDVBS.dat\t.DVBS.dat.tmp-Ab12C0\t"
              ".DVBS.dat.old-Ab12C0\nantenna_list.dat\t.antenna_list.dat.tmp-Ab12C1\t-\n");
    const auto note = recoverInterruptedSave(folder.path());
    ASSERT_TRUE(note);
    EXPECT_EQ(*note, "A save to " + folder.path().string() +
                         " was cut short and could not be completed (antenna_list.dat: is a "
                         "directory); the files from before it were put back.");
    EXPECT_EQ(readText(folder / "DVBS.dat"), "old a");
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"DVBS.dat", "antenna_list.dat"}));
}

// A journal the program did not write, or one that names anything but the receiver files and
// their hidden files, is refused whole: the open says so and nothing in the folder changes.
// What, the journal, and the end of "line 2 is not a step of a save: ...".
using PlantedJournal = std::tuple<const char*, const char*, const char*>;

class PlantedJournals : public testing::TestWithParam<PlantedJournal> {};

TEST_P(PlantedJournals, RefuseTheOpenAndTouchNothing) {
    const auto& [what, journal, problem] = GetParam();
    TempDir folder;
    const auto files = test::writeSample(folder.path(), {.services = 20});
    writeText(folder / "thesis.pdf", "years of work");
    writeText(folder / "notes.txt", "notes");
    writeText(folder / ".notes.txt.tmp-Ab12C0", "planted");
    writeText(folder / ".all_channel.dat.tmp-Ab12C0", "planted");
    fs::create_symlink("thesis.pdf", folder / ".DVBS.dat.tmp-Ab12C0");
    writeText(folder / ".tavrino-save", journal);
    const auto before = test::entries(folder.path());

    Workspace ws;
    const auto result = ws.openFolder(folder.path());
    ASSERT_EQ(result.status, OpenResult::Status::Refused);
    EXPECT_EQ(result.problem->oneLine(),
              (folder / ".tavrino-save").string() +
                  " is damaged: line 2 is not a step of a save: " + problem +
                  "; nothing in the folder was changed (if no save was cut short here, remove "
                  ".tavrino-save).");
    EXPECT_EQ(test::entries(folder.path()), before);
    EXPECT_EQ(readText(folder / "thesis.pdf"), "years of work");
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), files.channel);
}

INSTANTIATE_TEST_SUITE_P(
    Journals, PlantedJournals,
    testing::Values(
        PlantedJournal{"other_files_in_undo",
                       "tavrino save 1 undo\nthesis.pdf\t.thesis.pdf.tmp-Ab12C0\t-\n",
                       "\"thesis.pdf\" is not a file a save replaces"},
        PlantedJournal{"a_path_for_a_temporary",
                       "tavrino save 1 forward\nall_channel.dat\t../../etc/passwd\t-\n",
                       "\"../../etc/passwd\" is not a name a save gives a new all_channel.dat"},
        PlantedJournal{"an_old_copy_named_elsewhere",
                       "tavrino save 1 undo\nall_channel.dat\t.all_channel.dat.tmp-Ab12C0\t"
                       "thesis.pdf\n",
                       "\"thesis.pdf\" is not a name a save gives an old all_channel.dat"},
        PlantedJournal{"a_temporary_that_is_a_link",
                       "tavrino save 1 forward\nDVBS.dat\t.DVBS.dat.tmp-Ab12C0\t-\n",
                       ".DVBS.dat.tmp-Ab12C0 is not a plain file"},
        PlantedJournal{"a_control_character", "tavrino save 1 undo\nall_channel.dat\x01\t.x\t-\n",
                       "\"all_channel.dat\\x01\" is not a file a save replaces"}),
    [](const auto& param) { return std::string(std::get<0>(param.param)); });

// While another Tavrino holds the folder, its hidden files belong to a save in progress.
TEST(InterruptedSave, HiddenFilesOfARunningSaveAreLeftAlone) {
    TempDir folder;
    test::writeSample(folder.path(), {.services = 20});
    test::writeFile(folder / ".all_channel.dat.tmp-q1W2e3", Bytes(1000, 7));
    writeText(folder / ".tavrino-save",
              "tavrino save 1 forward\nall_channel.dat\t.all_channel.dat.tmp-q1W2e3\t-\n");
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
    const auto leftovers = test::entries(in.path());
    Workspace look;
    const auto looked = look.openFolderReadOnly(in.path());
    EXPECT_TRUE(looked.opened() && !looked.note);
    EXPECT_EQ(test::entries(in.path()), leftovers) << "a read-only open removes nothing";

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
