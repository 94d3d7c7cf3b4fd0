#pragma once

#include "link/profiles.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace tavrino {

// Profiles.ini is shared by every window and tavrino-cli run on one data folder. Each change
// is made to the file as it is on disk at that moment, under the data folder's lock, so a
// profile added or changed elsewhere meanwhile stays. The file before each rewrite is kept as
// Profiles.ini.bak beside it.

std::filesystem::path profilesBackupPathOf(const std::filesystem::path& dataFolder);

inline constexpr std::chrono::milliseconds profilesLockPatience{5000};

// One change, naming the profile it concerns as the caller last saw it.
struct ProfileChange {
    enum class Kind { Add, Update, Remove, SetColor };
    Kind kind = Kind::Add;
    // Update, Remove, SetColor: the profile's name; where the file holds the name twice, the
    // one at `seenAt` (its position as the caller saw it) is meant.
    std::string name;
    int seenAt = -1;
    ConnectionProfile fields; // Add, Update
    std::int32_t color = 0;   // SetColor
};

struct ProfilesChanged {
    // The file as it is now, with the profile the change concerned selected (after a refusal
    // the file as found, the profile of that name selected when there is one).
    ProfileTable table;
    bool whole = true;              // false: `table` holds only the profiles that could be read
    std::optional<FileStamp> stamp; // of the file as it is now
    std::optional<Notice> refusal;  // nothing was written
    bool written = false;
};

// Reads Profiles.ini as it is, applies `change` and writes the result, all under the data
// folder's lock (waiting up to `patience` for another writer). A file that was not read whole
// is never rewritten. When the file is missing the change starts from `whenMissing`, or from
// the default profile. Throws FileProblem when the file cannot be read or written.
ProfilesChanged changeProfiles(const std::filesystem::path& dataFolder, const ProfileChange& change,
                               const std::vector<ConnectionProfile>* whenMissing = nullptr,
                               std::chrono::milliseconds patience = profilesLockPatience);

} // namespace tavrino
