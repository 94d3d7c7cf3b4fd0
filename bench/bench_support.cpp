#include "bench_support.h"

#include "workspace/workspace.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace tavrino::bench {
namespace fs = std::filesystem;

namespace {

std::size_t statusField(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stoull(line.substr(key.size())) * 1024;
        }
    }
    return 0;
}

} // namespace

const fs::path& largeSampleFolder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "tavrino-bench-30000";
        sample::writeFolder(
            sample::generate(
                {.services = 30000, .satellites = 64, .bouquets = 50, .version = 10, .seed = 2026}),
            path);
        return path;
    }();
    return folder;
}

Workspace& largeWorkspace() {
    static Workspace ws;
    static const bool opened = ws.openFolder(largeSampleFolder()).opened();
    if (!opened) {
        std::abort();
    }
    return ws;
}

std::size_t largeSampleBytes() {
    std::size_t total = 0;
    for (const auto& entry : fs::directory_iterator(largeSampleFolder())) {
        total += entry.file_size();
    }
    return total;
}

double medianSeconds(const std::function<void()>& work, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::size_t residentBytes() {
    return statusField("VmRSS:");
}
std::size_t peakResidentBytes() {
    return statusField("VmHWM:");
}

} // namespace tavrino::bench
