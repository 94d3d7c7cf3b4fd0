#pragma once

#include "common/notice.h"
#include "database/file_stamp.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

// Everything needed to reach one receiver. Texts are kept as the bytes of the file.
struct ConnectionProfile {
    std::string profileName;
    std::string address;
    std::string userName;
    std::string password;
    std::int32_t ftpPort = 21;
    std::int32_t telnetPort = 23;
    bool passive = false;
    std::string prompt;
    std::optional<std::int32_t> foreColor; // 0x00BBGGRR or 0x800000nn; unset shows black

    bool operator==(const ConnectionProfile&) const = default;
};

ConnectionProfile defaultProfile();

// The leading numeric value of a field as typed: blanks skipped, digits read, no number is 0.
std::int32_t leadingNumber(std::string_view text);

// The Options tab's boxes as typed, the ports as text.
struct ProfileFields {
    std::string profileName;
    std::string address;
    std::string userName;
    std::string password;
    std::string ftpPort;
    std::string telnetPort;
    bool passive = false;
    std::string prompt;

    bool operator==(const ProfileFields&) const = default;
};

// The ports become the leading numbers of their boxes; the colour stays unset.
ConnectionProfile profileFromFields(const ProfileFields& fields);
// What the boxes show for a profile: the numbers as plain decimal text.
ProfileFields fieldsOfProfile(const ConnectionProfile& profile);

// A port outside 1-65535 would wrap to another port on the wire. Names the box.
std::optional<Notice> portsProblem(const ConnectionProfile& profile);
// Why a profile cannot be stored or used to reach a receiver, or nullopt when it can.
std::optional<Notice> profileProblem(const ConnectionProfile& profile);
// A name as it is kept and compared: without the blanks around it.
std::string trimmedName(std::string_view name);

struct ProfilesRead {
    std::vector<ConnectionProfile> profiles;
    // Why the file was not read whole, saying where ("it ends inside profile 3, at line 19").
    // Such a file is never rewritten: what was not read would be lost.
    std::optional<std::string> damage;
    std::optional<Notice> problem;  // the damage as told when the file is read
    std::optional<FileStamp> stamp; // the file as it was read, when read from disk
    bool whole() const { return !damage; }
};

// Profiles.ini: nine lines per profile, CR LF, numbers as " 21 ", unset colour as "".
// `fileName` is how the messages name the file.
ProfilesRead parseProfiles(std::string_view text, std::string_view fileName = "Profiles.ini");
std::string formatProfiles(const std::vector<ConnectionProfile>& profiles);
// The file written when none exists: ports and flag as plain texts, the colour as a number.
std::string formatDefaultProfilesFile();

// The profile table: at most 101 profiles, one of them selected.
class ProfileTable {
public:
    static constexpr std::size_t capacity = 101;

    ProfileTable() = default;
    explicit ProfileTable(std::vector<ConnectionProfile> profiles);

    const std::vector<ConnectionProfile>& profiles() const { return profiles_; }
    std::size_t size() const { return profiles_.size(); }
    // -1 when the table is empty.
    int selected() const { return selected_; }
    const ConnectionProfile* active() const;
    void select(int index);
    // The first profile called `name`, blanks around either name aside, or -1.
    int find(std::string_view name) const;
    // The profile called `name` as someone saw it at `seenAt`: that one while it still has the
    // name (a file may hold a name twice), else the first of that name; -1 when none has it.
    int locate(std::string_view name, int seenAt) const;

    // Each returns the refusal to show, or nullopt when the table changed. A name is kept
    // trimmed and must be neither empty nor another profile's.
    std::optional<Notice> add(const ConnectionProfile& profile);
    // The selected profile takes the fields; its colour stays.
    std::optional<Notice> update(const ConnectionProfile& fields);
    // Removes the selected profile; the last one left stays.
    bool remove();
    void setForeColor(std::int32_t color);

private:
    std::optional<Notice> nameProblem(std::string_view name, int except) const;

    std::vector<ConnectionProfile> profiles_;
    int selected_ = -1;
};

// Profiles.ini in the data folder (profile_store.cpp writes it).
std::filesystem::path profilesPathOf(const std::filesystem::path& dataFolder);
// Reads Profiles.ini, creating it with the default profile when it is missing. Throws
// FileProblem when the file cannot be read or created.
ProfilesRead loadProfiles(const std::filesystem::path& dataFolder);
// The same without creating it: nullopt when it is missing.
std::optional<ProfilesRead> readProfiles(const std::filesystem::path& dataFolder);
// Replaces the whole file with `profiles` (a fresh data folder, tests), under the data
// folder's lock, keeping the previous file as Profiles.ini.bak. Throws FileProblem.
void saveProfiles(const std::filesystem::path& dataFolder,
                  const std::vector<ConnectionProfile>& profiles);

} // namespace tavrino
