#include "database/backups.h"

#include "database/file_problem.h"
#include "database/layout.h"
#include "database/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>

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
        if (name.starts_with(".") && name.ends_with(".partial") && !timeError &&
            now - modified > abandonedAfter) {
            fs::remove_all(entry.path(), timeError);
        }
    }
}

bool wouldChange(const FileToWrite& file) {
    std::error_code error;
    if (!fs::is_regular_file(file.path, error)) {
        return false; // nothing there to keep (anything else the save itself refuses)
    }
    const auto old = readWholeFile(file.path, copyLimit);
    return old && !std::ranges::equal(*old, file.bytes);
}

void writeNewFile(const fs::path& to, std::span<const std::uint8_t> bytes) {
    posix::FileDescriptor fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        throw FileProblem(FileProblem::Kind::WriteFailed, to.string(), posix::errorText(errno));
    }
    if (const std::string why = posix::writeAndClose(fd, bytes); !why.empty()) {
        throw FileProblem(FileProblem::Kind::WriteFailed, to.string(), why);
    }
}

void copyInto(const fs::path& from, const fs::path& folder) {
    if (const auto bytes = readWholeFile(from, copyLimit)) {
        writeNewFile(folder / from.filename(), *bytes);
    }
}

fs::path freeName(const fs::path& files, const std::string& base) {
    fs::path candidate = files / base;
    std::error_code error;
    for (int n = 2; fs::exists(candidate, error); ++n) {
        candidate = files / (base + "-" + std::to_string(n));
    }
    return candidate;
}

void makeBackup(const fs::path& files, const fs::path& partial, const fs::path& target,
                const std::vector<FileToWrite>& replacing, const Source& source) {
    makeFolder(partial);
    for (const FileToWrite& file : replacing) {
        std::error_code error;
        if (fs::is_regular_file(file.path, error)) {
            copyInto(file.path, partial);
        }
    }
    std::ostringstream text;
    text << source.folder.string() << '\n' << source.sequence << '\n';
    const std::string record = text.str();
    writeNewFile(partial / sourceFileName,
                 {reinterpret_cast<const std::uint8_t*>(record.data()), record.size()});
    posix::syncFolder(partial);
    std::error_code error;
    fs::rename(partial, target, error);
    if (error) {
        throw FileProblem(FileProblem::Kind::WriteFailed, target.string(),
                          posix::errorText(error.value()));
    }
    posix::syncFolder(files);
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
        const fs::path target = freeName(files, folderLabel(folder) + "-" + timeText(now));
        partial = files / ("." + target.filename().string() + ".partial");
        makeBackup(files, partial, target, replacing, source);
        return target;
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
    std::error_code error;
    for (std::size_t i = 0; i + backupsKept < backups.size(); ++i) {
        fs::remove_all(backups[i].first, error);
    }
}

void discardBackup(const fs::path& backup) {
    std::error_code error;
    fs::remove_all(backup, error);
}

} // namespace tavrino
