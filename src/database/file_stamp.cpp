#include "database/file_stamp.h"

#include <algorithm>
#include <sys/stat.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

fs::path folderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

} // namespace

std::optional<FileStamp> stampOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileStamp{
        path, static_cast<std::uint64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

void keepStamp(std::vector<FileStamp>& stamps, FileStamp stamp) {
    const auto same = std::find_if(stamps.begin(), stamps.end(), [&](const FileStamp& s) {
        return s.path.filename() == stamp.path.filename() &&
               sameFolder(folderOf(s.path), folderOf(stamp.path));
    });
    if (same == stamps.end()) {
        stamps.push_back(std::move(stamp));
    } else {
        *same = std::move(stamp);
    }
}

std::vector<std::string> changedSince(const std::vector<FileStamp>& stamps,
                                      const fs::path& folder) {
    std::vector<std::string> changed;
    for (const FileStamp& stamp : stamps) {
        if (!sameFolder(folderOf(stamp.path), folder)) {
            continue; // read elsewhere: nothing to compare with
        }
        const auto now = stampOf(folder / stamp.path.filename());
        if (now && (now->size != stamp.size || now->modifiedNs != stamp.modifiedNs ||
                    now->inode != stamp.inode || now->device != stamp.device)) {
            changed.push_back(stamp.path.filename().string());
        }
    }
    return changed;
}

} // namespace tavrino
