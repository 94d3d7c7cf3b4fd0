#include "common/data_folder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return fs::path(value);
}

std::optional<fs::path> programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    return program.parent_path();
}

// A bin folder (/usr/bin, /usr/local/bin, ~/.local/bin) is shared by every installed program,
// and root may write to it: only a folder of the program's own holds its files.
bool isPortableFolder(const fs::path& folder) {
    const fs::path name = folder.filename();
    return name != "bin" && name != "sbin" && ::access(folder.c_str(), W_OK) == 0;
}

fs::path absoluteOrAsGiven(const fs::path& path) {
    std::error_code error;
    const fs::path result = fs::absolute(path, error);
    return error ? path : result.lexically_normal();
}

} // namespace

fs::path resolveDataFolder(const std::optional<fs::path>& chosen) {
    if (chosen && !chosen->empty()) {
        return absoluteOrAsGiven(*chosen);
    }
    if (const auto home = environmentPath("TAVRINO_HOME")) {
        return absoluteOrAsGiven(*home);
    }
    if (const auto folder = programFolder(); folder && isPortableFolder(*folder)) {
        return *folder;
    }
    if (const auto data = environmentPath("XDG_DATA_HOME")) {
        return *data / "Tavrino" / "Tavrino";
    }
    const auto home = environmentPath("HOME");
    return (home ? *home : fs::temp_directory_path()) / ".local" / "share" / "Tavrino" / "Tavrino";
}

} // namespace tavrino
