#include "link/profile_color.h"
#include "link/profiles.h"
#include "link_fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace tavrino {
namespace {
using test::named;
using test::TempDir;

const std::string defaultFile = "TEST Connection\r\n192.168.1.36\r\nroot\r\nkelvo\r\n21\r\n23\r\n"
                                "0\r\n[~]$\r\n-2147483646 \r\n";

TEST(ProfilesFile, MissingFileIsCreatedWithTheDefaultProfileForTheOwnerOnly) {
    TempDir data;
    const ProfilesRead read = loadProfiles(data.path());
    EXPECT_EQ(test::readText(data / "Profiles.ini"), defaultFile);
    EXPECT_EQ(test::modeOf(data / "Profiles.ini"), 0600u);
    EXPECT_EQ(read.profiles, std::vector{defaultProfile()});
    EXPECT_FALSE(read.problem);
}

TEST(ProfilesFile, SavedFilesReadBackByteForByte) {
    ConnectionProfile second = named("Living room");
    second.address = "receiver.local";
    second.ftpPort = 2121;
    second.passive = true;
    second.foreColor = 0x00FF8000;
    const std::vector<ConnectionProfile> profiles = {defaultProfile(), second, named("Unset")};
    const std::string text = formatProfiles(profiles);
    const std::string first = "TEST Connection\r\n192.168.1.36\r\nroot\r\nkelvo\r\n 21 \r\n"
                              " 23 \r\n 0 \r\n[~]$\r\n-2147483646 \r\n";
    EXPECT_EQ(text.substr(0, first.size()), first);
    EXPECT_NE(text.find("\r\n 2121 \r\n 23 \r\n 1 \r\n[~]$\r\n 16744448 \r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("[~]$\r\n\r\n")) << "a colour never set stays an empty line";
    const ProfilesRead read = parseProfiles(text);
    EXPECT_EQ(read.profiles, profiles);
    EXPECT_EQ(formatProfiles(read.profiles), text);
}

TEST(ProfilesFile, NumbersAreReadAsTheirLeadingValue) {
    using Case = std::tuple<std::string, std::int32_t>;
    for (const auto& [text, value] :
         {Case{" 21 ", 21}, Case{"21", 21}, Case{"  2323abc", 2323}, Case{"\t-5", -5},
          Case{"abc", 0}, Case{"", 0}, Case{"23.5", 24}, Case{"22.5", 22},
          Case{"99999999999", 2147483647}}) {
        EXPECT_EQ(leadingNumber(text), value) << '"' << text << '"';
    }
}

TEST(ProfilesFile, ColourLineWithoutNumberIsUnsetAndLinuxLineEndsRead) {
    const ProfilesRead read =
        parseProfiles("A\n10.0.0.2\nroot\npw\n 21 \n 23 \n 7 \n# \n\nB\nh\nu\np\n1\n2\n0\n$\nx\n");
    ASSERT_EQ(read.profiles.size(), 2u);
    EXPECT_FALSE(read.profiles[0].foreColor);
    EXPECT_TRUE(read.profiles[0].passive);
    EXPECT_EQ(read.profiles[0].prompt, "# ");
    EXPECT_FALSE(read.profiles[1].foreColor);
    EXPECT_FALSE(read.problem);
}

TEST(ProfilesFile, FileEndingInsideAProfileKeepsTheCompleteOnes) {
    const std::string two = formatProfiles({named("one"), named("two")});
    const ProfilesRead cut = parseProfiles(two + "three\r\n10.0.0.3\r\nroot\r\n");
    EXPECT_EQ(cut.profiles.size(), 2u);
    EXPECT_FALSE(cut.whole());
    EXPECT_EQ(cut.problem.value_or(Notice{}).text,
              "Profiles.ini: it ends inside profile 3 (lines 19 to 21). Only its first 2 profiles "
              "were read; the file is left as it is and not rewritten until it is mended !!!");
    EXPECT_TRUE(parseProfiles(two + "\r\n\r\n").whole()) << "blank lines after the last";
}

// Where a new profile goes is the store's test; here what becomes of the colour.
TEST(ProfileTable, AddLeavesTheColourUnsetAndUpdateKeepsIt) {
    ProfileTable table({defaultProfile()});
    ConnectionProfile fresh = named("d");
    fresh.foreColor = 255;
    ASSERT_FALSE(table.add(fresh));
    EXPECT_FALSE(table.active()->foreColor);
    table.select(0);
    fresh.profileName = "renamed";
    ASSERT_FALSE(table.update(fresh));
    EXPECT_EQ(table.active()->foreColor, defaultProfile().foreColor);
}

TEST(ProfileTable, RefusesA102ndProfileAnEmptyPromptLineBreaksAndBadPorts) {
    ProfileTable table(std::vector<ConnectionProfile>(101, named("p")));
    EXPECT_EQ(table.add(named("one more")),
              (Notice{"Tavrino", "MAX Profiles (101) !!!", NoticeIcon::Exclamation}));
    EXPECT_EQ(table.size(), 101u);

    using Case = std::tuple<std::function<void(ConnectionProfile&)>, std::string>;
    const std::string notAPort = " is not a port number (1 to 65535) !!!";
    for (const auto& [spoil, refusal] : {
             Case{[](auto& p) { p.prompt.clear(); }, "Command promt must not be empty !!!"},
             Case{[](auto& p) { p.password = "pass\nword"; },
                  "A profile field cannot hold a line break !!!"},
             Case{[](auto& p) { p.telnetPort = 99999; }, "Telnet Port: 99999" + notAPort},
             Case{[](auto& p) { p.ftpPort = 65536; }, "FTP Port: 65536" + notAPort},
             Case{[](auto& p) { p.ftpPort = 0; }, "FTP Port: 0" + notAPort},
         }) {
        ProfileTable small({named("a")});
        ConnectionProfile spoiled = named("b");
        spoil(spoiled);
        EXPECT_EQ(small.add(spoiled).value_or(Notice{}).text, refusal);
        EXPECT_EQ(small.update(spoiled).value_or(Notice{}).text, refusal);
        EXPECT_EQ(small.profiles(), std::vector{named("a")}) << refusal;
    }
    ConnectionProfile edges = named("b");
    edges.ftpPort = 1;
    edges.telnetPort = 65535;
    EXPECT_FALSE(portsProblem(edges));
}

// Profiles are chosen by name: Update checks what Add checks, blanks around a name aside.
TEST(ProfileTable, NamesAreTrimmedAndNeitherEmptyNorTaken) {
    // A name and the refusals of Add and Update (nullopt: stored trimmed).
    using Case = std::tuple<std::string, std::optional<std::string>, std::optional<std::string>>;
    const std::string noName = "Profile Name: a profile needs a name !!!";
    const std::string taken =
        "Profile Name: a profile named 'TEST Connection' is already there !!!";
    for (const auto& [name, onAdd, onUpdate] : {
             Case{"", noName, noName},
             Case{" \t ", noName, noName},
             Case{"TEST Connection", taken, taken},
             Case{"  TEST Connection ", taken, taken},
             Case{" Spare ", "Profile Name: a profile named 'Spare' is already there !!!",
                  std::nullopt}, // the selected one keeps its own name
             Case{" Bedroom ", std::nullopt, std::nullopt},
         }) {
        for (const bool update : {false, true}) {
            ProfileTable table({defaultProfile(), named("Spare")});
            table.select(1);
            const auto refused = update ? table.update(named(name)) : table.add(named(name));
            EXPECT_EQ(refused ? std::optional(refused->text) : std::nullopt,
                      update ? onUpdate : onAdd)
                << (update ? "update '" : "add '") << name << "'";
            if (!refused) {
                EXPECT_EQ(table.active()->profileName, trimmedName(name));
            }
        }
    }
}

TEST(ProfileColor, CodesAreReadAsPlainOrSystemColours) {
    using Case = std::tuple<std::optional<std::int32_t>, Rgb>;
    for (const auto& [code, color] : {
             Case{std::nullopt, {0, 0, 0}},                          // never set: black
             Case{0x000000FF, {255, 0, 0}},                          // 0x00BBGGRR
             Case{-2147483646, {10, 36, 106}},                       // the default: active caption
             Case{static_cast<std::int32_t>(0x80000008), {0, 0, 0}}, // window text
             Case{static_cast<std::int32_t>(0x800000FF), {0, 0, 0}}, // no such system colour
             Case{0x01000000, {0, 0, 0}},                            // not a colour code
         }) {
        EXPECT_EQ(colorOfCode(code), color) << (code ? *code : -1);
    }
    EXPECT_EQ(codeOfColor({0, 128, 255}), 0x00FF8000);
    EXPECT_EQ(colorOfCode(codeOfColor({1, 2, 3})), (Rgb{1, 2, 3}));
}

} // namespace
} // namespace tavrino
