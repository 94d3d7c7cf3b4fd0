#include "database/file_problem.h"
#include "link/profile_store.h"
#include "link_fixture.h"

#include <gmock/gmock.h>
#include <memory>
#include <sys/stat.h>
#include <tuple>

namespace tavrino {
namespace {
using namespace testing;
using test::named;
using test::TempDir;
namespace fs = std::filesystem;
using Kind = ProfileChange::Kind;

std::vector<std::string> namesIn(const fs::path& data) {
    std::vector<std::string> names;
    for (const auto& p : loadProfiles(data).profiles) {
        names.push_back(p.profileName);
    }
    return names;
}

ProfileChange add(const std::string& name) {
    return {Kind::Add, {}, -1, named(name), 0};
}

ProfileChange on(Kind kind, const std::string& name, int seenAt = -1) {
    return {kind, name, seenAt, named(name, "10.9.9.9"), 0x0000FF};
}

// Each change is made to the file as it is now: what another window or tavrino-cli wrote
// since this caller read it stays.
TEST(ProfileStore, ChangesMergeIntoTheFileAsItIsNow) {
    TempDir data;
    saveProfiles(data.path(), {defaultProfile(), named("A"), named("B")});
    changeProfiles(data.path(), add("added elsewhere"));

    ProfilesChanged added = changeProfiles(data.path(), add("mine"));
    ASSERT_FALSE(added.refusal);
    EXPECT_EQ(added.table.selected(), 4);
    const std::vector<std::string> all = {"TEST Connection", "A", "B", "added elsewhere", "mine"};
    EXPECT_EQ(namesIn(data.path()), all);

    using Case = std::tuple<ProfileChange, std::vector<std::string>, int>;
    for (const auto& [change, names, selected] : {
             Case{on(Kind::Update, "A", 1), all, 1},
             Case{on(Kind::SetColor, "B", 0), all,
                  2}, // found by name where the caller saw it elsewhere
             Case{on(Kind::Remove, "A", 1), {"TEST Connection", "B", "added elsewhere", "mine"}, 1},
             Case{on(Kind::Remove, "mine", 3), {"TEST Connection", "B", "added elsewhere"}, 2},
         }) {
        SCOPED_TRACE(change.name);
        const ProfilesChanged changed = changeProfiles(data.path(), change);
        ASSERT_FALSE(changed.refusal) << changed.refusal->text;
        EXPECT_TRUE(changed.written);
        EXPECT_EQ(namesIn(data.path()), names);
        EXPECT_EQ(changed.table.profiles(), loadProfiles(data.path()).profiles);
        EXPECT_EQ(changed.table.selected(), selected);
        EXPECT_EQ(changed.stamp, stampOf(data / "Profiles.ini"));
    }
    const auto profiles = loadProfiles(data.path()).profiles;
    EXPECT_EQ(profiles[1].foreColor, 0x0000FF);
    EXPECT_EQ(profiles[1].address, "10.0.0.1") << "a colour change keeps the other fields";
    EXPECT_EQ(profiles[0], defaultProfile());
}

TEST(ProfileStore, AChangeToAProfileGoneOrANameTakenElsewhereIsRefusedAndWritesNothing) {
    TempDir data;
    saveProfiles(data.path(), {defaultProfile(), named("A")});
    const std::string before = test::readText(data / "Profiles.ini");
    ProfileChange renameToTaken = on(Kind::Update, "A", 1);
    renameToTaken.fields.profileName = " TEST Connection";
    for (const ProfileChange& change : {on(Kind::Update, "gone", 1), on(Kind::Remove, "gone"),
                                        on(Kind::SetColor, "gone"), add(" A "), renameToTaken}) {
        const ProfilesChanged refused = changeProfiles(data.path(), change);
        ASSERT_TRUE(refused.refusal) << change.name;
        EXPECT_FALSE(refused.written);
        EXPECT_EQ(refused.table.profiles(), loadProfiles(data.path()).profiles);
        EXPECT_EQ(test::readText(data / "Profiles.ini"), before);
    }
    EXPECT_EQ(changeProfiles(data.path(), on(Kind::Remove, "gone")).refusal->text,
              "Profiles.ini holds no profile named 'gone' (any more: it may have been removed or "
              "renamed elsewhere); nothing was changed !!!");
}

TEST(ProfileStore, FileHoldingANameTwiceChangesTheOneTheCallerSaw) {
    TempDir data;
    saveProfiles(data.path(), {named("twice", "10.0.0.1"), named("twice", "10.0.0.2")});
    ASSERT_FALSE(changeProfiles(data.path(), on(Kind::SetColor, "twice", 1)).refusal);
    const auto profiles = loadProfiles(data.path()).profiles;
    EXPECT_FALSE(profiles[0].foreColor);
    EXPECT_EQ(profiles[1].foreColor, 0x0000FF);
}

// With 1,000 profiles or a file cut short, a rewrite from what was read would drop the rest
// (and their passwords).
TEST(ProfileStore, AFileNotReadWholeIsNeverRewritten) {
    std::vector<ConnectionProfile> thousand;
    for (int i = 1; i <= 1000; ++i) {
        thousand.push_back(named("P" + std::to_string(i)));
    }
    using Case = std::tuple<std::string, std::string>;
    for (const auto& [text, why] : {
             Case{formatProfiles(thousand),
                  "it holds more than 101 profiles (the 102nd starts at line 910)"},
             Case{formatProfiles({named("P4"), named("P5")}) + "P6\r\n10.0.0.6\r\n",
                  "it ends inside profile 3 (lines 19 to 20)"},
         }) {
        TempDir data;
        test::writeText(data / "Profiles.ini", text);
        for (const ProfileChange& change : {on(Kind::Remove, "P5"), add("new"),
                                            on(Kind::Update, "P5"), on(Kind::SetColor, "P4")}) {
            const ProfilesChanged refused = changeProfiles(data.path(), change);
            EXPECT_EQ(refused.refusal.value_or(Notice{}).text,
                      (data / "Profiles.ini").string() + ": " + why +
                          ". A file that was not read whole is not rewritten, so nothing was "
                          "changed; mend or remove it first !!!");
            EXPECT_FALSE(refused.whole);
        }
        EXPECT_EQ(test::readText(data / "Profiles.ini"), text);
        EXPECT_FALSE(fs::exists(data / "Profiles.ini.bak"));
    }
}

TEST(ProfileStore, EachRewriteKeepsThePreviousFileForTheOwnerOnly) {
    TempDir data;
    loadProfiles(data.path());
    ::chmod((data / "Profiles.ini").c_str(), 0644); // as another tool may have left it
    const std::string first = test::readText(data / "Profiles.ini");
    EXPECT_FALSE(fs::exists(data / "Profiles.ini.bak")) << "nothing was replaced yet";
    ASSERT_FALSE(changeProfiles(data.path(), add("second")).refusal);
    EXPECT_EQ(test::readText(data / "Profiles.ini.bak"), first);
    const std::string two = test::readText(data / "Profiles.ini");
    ASSERT_FALSE(changeProfiles(data.path(), on(Kind::Remove, "second")).refusal);
    EXPECT_EQ(test::readText(data / "Profiles.ini.bak"), two);
    EXPECT_EQ(test::modeOf(data / "Profiles.ini") | test::modeOf(data / "Profiles.ini.bak"), 0600u);
    EXPECT_EQ(test::entries(data.path()).size(), 2u) << "no temporary left behind";
    const ProfileChange recolor = on(Kind::SetColor, "TEST Connection");
    EXPECT_TRUE(changeProfiles(data.path(), recolor).written);
    EXPECT_FALSE(changeProfiles(data.path(), recolor).written)
        << "nothing changed, so the backup stays the last real change";
}

TEST(ProfileStore, AMissingFileStartsFromWhatTheCallerHolds) {
    TempDir data;
    const std::vector<ConnectionProfile> held = {named("held one"), named("held two")};
    ASSERT_FALSE(changeProfiles(data.path(), add("new"), &held).refusal);
    EXPECT_EQ(namesIn(data.path()), (std::vector<std::string>{"held one", "held two", "new"}));
    TempDir fresh;
    ASSERT_FALSE(changeProfiles(fresh.path(), add("new")).refusal);
    EXPECT_EQ(namesIn(fresh.path()), (std::vector<std::string>{"TEST Connection", "new"}));
}

TEST(ProfileStore, WaitsForAnotherWriterOfTheDataFolderAndSaysWhenItDoesNotLetGo) {
    TempDir data;
    loadProfiles(data.path());
    const std::string before = test::readText(data / "Profiles.ini");
    auto held = std::make_unique<test::LockHeldElsewhere>(data.path());
    ASSERT_TRUE(held->held());
    const auto problem = test::problemOf(
        [&] { changeProfiles(data.path(), add("new"), nullptr, std::chrono::milliseconds{50}); });
    ASSERT_TRUE(problem) << "written while another process held the data folder";
    EXPECT_THAT(problem->what(), HasSubstr("is being written by another Tavrino"));
    EXPECT_EQ(test::readText(data / "Profiles.ini"), before);
    held.reset();
    EXPECT_FALSE(changeProfiles(data.path(), add("new")).refusal);
}

} // namespace
} // namespace tavrino
