#include "database/backups.h"

#include "database/file_problem.h"
#include "database/layout.h"
#include "database/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

// The largest receiver file the format allows; a backup copies nothing larger.
constexpr SizeLimit copyLimit{layout::dvbs::maxFileSize, layout::dvbs::maxFileSizeText};
constexpr const char* sourceFileName = ".source";
// A hidden copy this old was left by a program that was killed while making it.
constexpr auto abandonedAfter = std::chrono::minutes(10);

struct Source {
    fs::path folder;
    unsigned long long sequence = 0;
};

std::string timeText(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

fs::path canonicalOrAsGiven(const fs::path& folder) {
    std::error_code error;
    const fs::path full = fs::weakly_canonical(folder, error);
    return error ? folder : full;
}

std::string folderLabel(const fs::path& canonical) {
    std::string label = canonical.filename().string();
    if (label.empty()) {
        label = canonical.parent_path().filename().string();
    }
    return label.empty() ? std::string("root") : label;
}

std::optional<Source> readSource(const fs::path& backup) {
    std::ifstream in(backup / sourceFileName);
    Source source;
    std::string folder;
    if (!std::getline(in, folder) || !(in >> source.sequence)) {
        return std::nullopt;
    }
    source.folder = folder;
    return source;
}

// Backups under `files` with their sources; the others are not ours to touch.
std::vector<std::pair<fs::path, Source>> knownBackups(const fs::path& files) {
    std::vector<std::pair<fs::path, Source>> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(files, error)) {
        if (entry.path().filename().string().starts_with(".")) {
            continue;
        }
        if (auto source = readSource(entry.path())) {
            found.emplace_back(entry.path(), std::move(*source));
        }
    }
    return found;
}

void removeAbandonedCopies(const fs::path& files) {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (const auto& entry : fs::directory_iterator(files, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code timeError;
        const auto modified = entry.last_write_time(timeError);
        if (name.starts_with(".") && name.find(".partial") != std::string::npos && !timeError &&
            now - modified > abandonedAfter) {
            fs::remove_all(entry.path(), timeError);
        }
    }
}

bool wouldChange(const FileToWrite& file) {
    struct stat info {};
    if (::lstat(file.path.c_str(), &info) != 0) {
        return false; // nothing there to keep
    }
    if (S_ISLNK(info.st_mode)) {
        return true; // the link itself is kept (the save then refuses to replace it)
    }
    if (!S_ISREG(info.st_mode)) {
        return false; // anything else the save itself refuses
    }
    const auto old = readWholeFile(file.path, copyLimit);
    return old && !std::ranges::equal(*old, file.bytes);
}

// `mode` less the umask: a copy is never readable by more people than its original.
void writeNewFile(const fs::path& to, std::span<const std::uint8_t> bytes, mode_t mode = 0666) {
    posix::FileDescriptor fd(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 0666));
    if (fd.get() < 0) {
        throw FileProblem(FileProblem::Kind::WriteFailed, to.string(), posix::errorText(errno));
    }
    if (const std::string why = posix::writeAndClose(fd, bytes); !why.empty()) {
        throw FileProblem(FileProblem::Kind::WriteFailed, to.string(), why);
    }
}

// A symbolic link is kept as a link (what it points to is not ours to copy); a file with
// its own permissions.
void copyInto(const fs::path& from, const fs::path& folder) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return;
    }
    if (S_ISLNK(info.st_mode)) {
        std::error_code error;
        const fs::path to = fs::read_symlink(from, error);
        if (!error) {
            fs::create_symlink(to, folder / from.filename(), error);
        }
        if (error) {
            throw FileProblem(FileProblem::Kind::WriteFailed, (folder / from.filename()).string(),
                              posix::errorText(error.value()));
        }
    } else if (S_ISREG(info.st_mode)) {
        if (const auto bytes = readWholeFile(from, copyLimit)) {
            writeNewFile(folder / from.filename(), *bytes, info.st_mode);
        }
    }
}

// A hidden folder of its own for the copy in progress, whoever else backs up at this moment.
fs::path makePartial(const fs::path& files, const std::string& base) {
    std::string pattern = (files / ("." + base + ".partial-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw FileProblem(FileProblem::Kind::WriteFailed, pattern, posix::errorText(errno));
    }
    return pattern;
}

// Renames the finished copy to `base`, or `base`-2, -3, ... : never over another backup, even
// one that another process finished a moment ago.
fs::path publish(const fs::path& files, const fs::path& partial, const std::string& base) {
    for (int n = 1; n <= 1000; ++n) {
        const fs::path target = files / (n == 1 ? base : base + "-" + std::to_string(n));
        int result =
            ::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
        int error = errno;
        if (result != 0 && (error == EINVAL || error == ENOSYS)) {
            // No RENAME_NOREPLACE here; a folder holding a backup is never empty, so a plain
            // rename refuses to replace one too.
            std::error_code ignored;
            if (fs::exists(target, ignored)) {
                error = EEXIST;
            } else {
                result = ::rename(partial.c_str(), target.c_str());
                error = errno;
            }
        }
        if (result == 0) {
            return target;
        }
        if (error != EEXIST && error != ENOTEMPTY) {
            throw FileProblem(FileProblem::Kind::WriteFailed, target.string(),
                              posix::errorText(error));
        }
    }
    throw FileProblem(FileProblem::Kind::WriteFailed, (files / base).string(),
                      "a thousand backups of that name are there already");
}

fs::path makeBackup(const fs::path& files, const fs::path& partial, const std::string& base,
                    const std::vector<FileToWrite>& replacing, const Source& source) {
    for (const FileToWrite& file : replacing) {
        copyInto(file.path, partial);
    }
    std::ostringstream text;
    text << source.folder.string() << '\n' << source.sequence << '\n';
    const std::string record = text.str();
    writeNewFile(partial / sourceFileName,
                 {reinterpret_cast<const std::uint8_t*>(record.data()), record.size()});
    posix::syncFolder(partial);
    const fs::path target = publish(files, partial, base);
    posix::syncFolder(files);
    return target;
}

} // namespace

std::optional<fs::path> backupBeforeSave(const fs::path& backupsRoot,
                                         const std::vector<FileToWrite>& replacing,
                                         std::chrono::system_clock::time_point now) {
    if (replacing.empty() || std::none_of(replacing.begin(), replacing.end(), wouldChange)) {
        return std::nullopt;
    }
    const fs::path folder = canonicalOrAsGiven(posix::folderOf(replacing.front().path));
    const fs::path files = backupsRoot / "files";
    fs::path partial;
    try {
        makeFolder(files);
        removeAbandonedCopies(files);
        Source source{folder, 1};
        for (const auto& [path, known] : knownBackups(files)) {
            source.sequence = std::max(source.sequence, known.sequence + 1);
        }
        const std::string base = folderLabel(folder) + "-" + timeText(now);
        partial = makePartial(files, base);
        return makeBackup(files, partial, base, replacing, source);
    } catch (const FileProblem& problem) {
        std::error_code ignored;
        if (!partial.empty()) {
            fs::remove_all(partial, ignored);
        }
        throw FileProblem(FileProblem::Kind::WriteFailed, problem.path(),
                          "the backup before saving could not be made, so nothing was saved (" +
                              problem.detail() + ")");
    }
}

void pruneBackups(const fs::path& backupsRoot, const fs::path& folder) {
    const fs::path own = canonicalOrAsGiven(folder);
    auto backups = knownBackups(backupsRoot / "files");
    std::erase_if(backups, [&](const auto& b) { return b.second.folder != own; });
    std::sort(backups.begin(), backups.end(),
              [](const auto& a, const auto& b) { return a.second.sequence < b.second.sequence; });
    std::vector<fs::path> oldestFirst;
    for (const auto& b : backups) {
        oldestFirst.push_back(b.first);
    }
    removeAllButNewest(oldestFirst, backupsKept);
}

void removeAllButNewest(const std::vector<fs::path>& oldestFirst, std::size_t keep) {
    std::error_code error;
    for (std::size_t i = 0; i + keep < oldestFirst.size(); ++i) {
        fs::remove_all(oldestFirst[i], error);
    }
}

void discardBackup(const fs::path& backup) {
    std::error_code error;
    fs::remove_all(backup, error);
}

} // namespace tavrino
