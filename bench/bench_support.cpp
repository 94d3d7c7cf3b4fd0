#include "bench_support.h"

#include "workspace/workspace.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
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

const fs::path& sampleFolder(int services) {
    static std::map<int, fs::path> folders;
    auto [it, added] = folders.try_emplace(services);
    if (added) {
        it->second = fs::temp_directory_path() / ("tavrino-bench-" + std::to_string(services));
        sample::writeFolder(sample::generate({.services = services,
                                              .satellites = 64,
                                              .bouquets = 50,
                                              .version = 10,
                                              .seed = 2026}),
                            it->second);
    }
    return it->second;
}

Workspace& largeWorkspace() {
    static Workspace ws;
    static const bool opened = ws.openFolder(largeSampleFolder()).opened();
    if (!opened) {
        std::abort();
    }
    return ws;
}

std::size_t folderBytes(const fs::path& folder) {
    std::size_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
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

std::pair<double, double> fastestBesideFloor(const std::function<void()>& work,
                                             const std::function<void()>& floor, int runs) {
    const auto seconds = [](const std::function<void()>& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // In blocks of three, so each side runs with the memory its own last run left behind,
    // as it would in use, and the blocks alternate to share out the machine's load.
    double best = 1e9;
    double bestFloor = 1e9;
    for (int done = 0; done < runs; done += 3) {
        for (int i = 0; i < 3; ++i) {
            bestFloor = std::min(bestFloor, seconds(floor));
        }
        for (int i = 0; i < 3; ++i) {
            best = std::min(best, seconds(work));
        }
    }
    return {best, bestFloor};
}

std::size_t residentBytes() {
    return statusField("VmRSS:");
}
std::size_t peakResidentBytes() {
    return statusField("VmHWM:");
}

} // namespace tavrino::bench
