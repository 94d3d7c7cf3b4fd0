#include "link/profile_store.h"

#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/folder_lock.h"

namespace tavrino {
namespace fs = std::filesystem;

namespace {

constexpr unsigned ownerOnly = 0600; // the file and its backup hold passwords

Notice profilesNotice(std::string text) {
    return {"Tavrino", std::move(text), NoticeIcon::Exclamation};
}

std::string textOf(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

FolderLock lockDataFolder(const fs::path& dataFolder, std::chrono::milliseconds patience) {
    makeFolder(dataFolder);
    std::string why;
    auto lock = FolderLock::acquire(dataFolder, patience, why);
    if (!lock) {
        throw FileProblem(FileProblem::Kind::WriteFailed, profilesPathOf(dataFolder).string(), why);
    }
    return std::move(*lock);
}

// Replaces the file with `text`, keeping what it held before (`previous`) as the backup. The
// backup goes first: a stop between the two leaves the old profiles in both files.
void writeProfilesFile(const fs::path& dataFolder, const std::string& text,
                       const std::optional<Bytes>& previous) {
    if (previous) {
        writeFileAtomically(profilesBackupPathOf(dataFolder), *previous, ownerOnly);
    }
    writeFileAtomically(profilesPathOf(dataFolder), bytesOf(text), ownerOnly);
}

std::optional<Notice> apply(ProfileTable& table, const ProfileChange& change) {
    using Kind = ProfileChange::Kind;
    if (change.kind == Kind::Add) {
        return table.add(change.fields);
    }
    const int at = table.locate(change.name, change.seenAt);
    if (at < 0) {
        return profilesNotice("Profiles.ini holds no profile named '" + change.name +
                              "' (any more: it may have been removed or renamed elsewhere); "
                              "nothing was changed !!!");
    }
    table.select(at);
    switch (change.kind) {
    case Kind::Update:
        return table.update(change.fields);
    case Kind::Remove:
        if (!table.remove()) {
            return profilesNotice("Profiles.ini: the last profile cannot be removed !!!");
        }
        return std::nullopt;
    case Kind::SetColor:
        table.setForeColor(change.color);
        return std::nullopt;
    case Kind::Add:
        break;
    }
    return std::nullopt;
}

Notice notRewritten(const fs::path& path, const std::string& damage) {
    return profilesNotice(path.string() + ": " + damage +
                          ". A file that was not read whole is not rewritten, so nothing was "
                          "changed; mend or remove it first !!!");
}

} // namespace

fs::path profilesPathOf(const fs::path& dataFolder) {
    return dataFolder / "Profiles.ini";
}

fs::path profilesBackupPathOf(const fs::path& dataFolder) {
    return dataFolder / "Profiles.ini.bak";
}

std::optional<ProfilesRead> readProfiles(const fs::path& dataFolder) {
    const fs::path path = profilesPathOf(dataFolder);
    // Taken first: a file replaced while it is read then counts as changed later, not as seen.
    const auto stamp = stampOf(path);
    const auto bytes = readWholeFile(path, smallTextFileLimit);
    if (!bytes) {
        return std::nullopt;
    }
    ProfilesRead read = parseProfiles(textOf(*bytes), path.string());
    read.stamp = stamp;
    return read;
}

ProfilesRead loadProfiles(const fs::path& dataFolder) {
    if (auto read = readProfiles(dataFolder)) {
        return std::move(*read);
    }
    {
        const FolderLock lock = lockDataFolder(dataFolder, profilesLockPatience);
        // Another window or tavrino-cli may have made it, with profiles, meanwhile.
        if (!readWholeFile(profilesPathOf(dataFolder), smallTextFileLimit)) {
            writeProfilesFile(dataFolder, formatDefaultProfilesFile(), std::nullopt);
        }
    }
    if (auto read = readProfiles(dataFolder)) {
        return std::move(*read);
    }
    throw FileProblem(FileProblem::Kind::Unreadable, profilesPathOf(dataFolder).string(),
                      "it was gone as soon as it had been made");
}

void saveProfiles(const fs::path& dataFolder, const std::vector<ConnectionProfile>& profiles) {
    const FolderLock lock = lockDataFolder(dataFolder, profilesLockPatience);
    const auto previous = readWholeFile(profilesPathOf(dataFolder), smallTextFileLimit);
    writeProfilesFile(dataFolder, formatProfiles(profiles), previous);
}

ProfilesChanged changeProfiles(const fs::path& dataFolder, const ProfileChange& change,
                               const std::vector<ConnectionProfile>* whenMissing,
                               std::chrono::milliseconds patience) {
    const FolderLock lock = lockDataFolder(dataFolder, patience);
    const fs::path path = profilesPathOf(dataFolder);
    ProfilesChanged result;
    result.stamp = stampOf(path);
    const auto previous = readWholeFile(path, smallTextFileLimit);
    ProfilesRead read;
    if (previous) {
        read = parseProfiles(textOf(*previous), path.string());
    } else {
        read.profiles = whenMissing != nullptr ? *whenMissing : std::vector{defaultProfile()};
    }
    result.whole = read.whole();
    result.table = ProfileTable(std::move(read.profiles));
    if (change.kind != ProfileChange::Kind::Add) {
        result.table.select(result.table.locate(change.name, change.seenAt));
    }
    if (read.damage) {
        result.refusal = notRewritten(path, *read.damage);
        return result;
    }
    ProfileTable changed = result.table;
    if (auto refusal = apply(changed, change)) {
        result.refusal = std::move(refusal);
        return result;
    }
    if (previous && changed.profiles() == result.table.profiles()) {
        result.table = std::move(changed);
        return result; // nothing to write: the backup keeps the last real change
    }
    writeProfilesFile(dataFolder, formatProfiles(changed.profiles()), previous);
    result.table = std::move(changed);
    result.stamp = stampOf(path);
    result.written = true;
    return result;
}

} // namespace tavrino
