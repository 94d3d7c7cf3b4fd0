#include "link/receiver_backup.h"

#include "database/backups.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

// "2025-03-01_21-04-59", optionally followed by "-N".
bool isBackupName(const std::string& name) {
    constexpr std::string_view shape = "dddd-dd-dd_dd-dd-dd";
    if (name.size() < shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char want = i < shape.size() ? shape[i] : (i == shape.size() ? '-' : 'd');
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (want == 'd' ? !digit : name[i] != want) {
            return false;
        }
    }
    return name.size() != shape.size() + 1 && name.size() <= shape.size() + 4;
}

std::string stampOf(std::chrono::system_clock::time_point now) {
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
    return text;
}

// Newest last; a suffix counts after the plain name of the same second.
bool older(const std::string& a, const std::string& b) {
    constexpr std::size_t stamp = 19;
    if (a.compare(0, stamp, b, 0, stamp) != 0) {
        return a < b;
    }
    const auto suffix = [](const std::string& s) {
        return s.size() > stamp ? std::stoi(s.substr(stamp + 1)) : 1;
    };
    return suffix(a) < suffix(b);
}

} // namespace

fs::path receiverBackupsOf(const fs::path& dataFolder) {
    return dataFolder / "backups" / "receiver";
}

std::optional<fs::path> makeBackupFolder(const fs::path& root,
                                         std::chrono::system_clock::time_point now) {
    std::error_code error;
    fs::create_directories(root, error);
    const std::string stamp = stampOf(now);
    for (int n = 1; n < 1000; ++n) {
        const fs::path folder = root / (n == 1 ? stamp : stamp + "-" + std::to_string(n));
        if (fs::create_directory(folder, error)) {
            return folder;
        }
        if (error) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void pruneBackups(const fs::path& root, std::size_t keep, const fs::path& justMade) {
    std::error_code error;
    std::vector<std::string> names;
    const std::string newest = justMade.filename().string();
    for (const auto& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(error) && isBackupName(name) && name != newest) {
            names.push_back(name);
        }
    }
    if (!newest.empty()) {
        keep = keep > 0 ? keep - 1 : 0; // the one just made takes a place
    }
    std::sort(names.begin(), names.end(), older);
    std::vector<fs::path> oldestFirst;
    for (const auto& name : names) {
        oldestFirst.push_back(root / name);
    }
    removeAllButNewest(oldestFirst, keep);
}

} // namespace tavrino
