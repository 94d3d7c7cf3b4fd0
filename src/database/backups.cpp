#include "database/backups.h"

#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "database/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

// The largest receiver file the format allows; a backup copies nothing larger.
constexpr SizeLimit copyLimit{layout::dvbs::maxFileSize, layout::dvbs::maxFileSizeText};

std::string timeText(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::string folderLabel(const fs::path& folder) {
    std::error_code error;
    fs::path full = fs::weakly_canonical(folder, error);
    if (error) {
        full = folder;
    }
    std::string label = full.filename().string();
    if (label.empty()) {
        label = full.parent_path().filename().string();
    }
    return label.empty() ? std::string("root") : label;
}

[[noreturn]] void backupFailed(const fs::path& where, const std::string& why) {
    throw FileProblem(FileProblem::Kind::WriteFailed, where.string(),
                      "the backup before saving could not be made: " + why);
}

void copyInto(const fs::path& from, const fs::path& to) {
    const auto bytes = readWholeFile(from, copyLimit);
    if (!bytes) {
        return; // gone since it was listed: nothing to keep
    }
    posix::FileDescriptor fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        backupFailed(to, posix::errorText(errno));
    }
    if (const std::string why = posix::writeAndClose(fd, *bytes); !why.empty()) {
        backupFailed(to, why);
    }
}

// "LABEL-YYYYMMDD-HHMMSS", perhaps followed by "-N" for a second backup in the same second.
bool isBackupOf(const std::string& name, const std::string& label) {
    if (name.size() < label.size() + 16 || name.compare(0, label.size() + 1, label + "-") != 0) {
        return false;
    }
    const std::string time = name.substr(label.size() + 1, 15);
    for (std::size_t i = 0; i < time.size(); ++i) {
        if (i == 8 ? time[i] != '-' : (time[i] < '0' || time[i] > '9')) {
            return false;
        }
    }
    return name.size() == label.size() + 16 || name[label.size() + 16] == '-';
}

// Backups of one folder, oldest first (their names sort by time).
std::vector<fs::path> backupsOf(const fs::path& files, const std::string& label) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(files, error)) {
        if (isBackupOf(entry.path().filename().string(), label) && entry.is_directory(error)) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

fs::path freeName(const fs::path& files, const std::string& base) {
    fs::path candidate = files / base;
    std::error_code error;
    for (int n = 2; fs::exists(candidate, error); ++n) {
        candidate = files / (base + "-" + std::to_string(n));
    }
    return candidate;
}

} // namespace

std::optional<fs::path> backupBeforeSave(const fs::path& backupsRoot, const fs::path& folder,
                                         const std::vector<std::string>& names,
                                         std::chrono::system_clock::time_point now) {
    std::vector<std::string> present;
    for (const std::string& name : names) {
        std::error_code error;
        if (fs::is_regular_file(folder / name, error)) { // anything else the save refuses
            present.push_back(name);
        }
    }
    if (present.empty()) {
        return std::nullopt;
    }
    const fs::path files = backupsRoot / "files";
    makeFolder(files);
    const std::string label = folderLabel(folder);
    const fs::path target = freeName(files, label + "-" + timeText(now));
    const fs::path partial = files / ("." + target.filename().string() + ".partial");
    std::error_code error;
    fs::remove_all(partial, error);
    try {
        makeFolder(partial);
        for (const std::string& name : present) {
            copyInto(folder / name, partial / name);
        }
        posix::syncFolder(partial);
        fs::rename(partial, target, error);
        if (error) {
            backupFailed(target, error.message());
        }
    } catch (...) {
        fs::remove_all(partial, error);
        throw;
    }
    posix::syncFolder(files);
    auto kept = backupsOf(files, label);
    for (std::size_t i = 0; i + backupsKept < kept.size(); ++i) {
        fs::remove_all(kept[i], error);
    }
    return target;
}

void discardBackup(const fs::path& backup) {
    std::error_code error;
    fs::remove_all(backup, error);
}

} // namespace tavrino
