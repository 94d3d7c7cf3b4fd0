#pragma once

#include "common/notice.h"
#include "samplegen/sample_generator.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace tavrino {
class Workspace;
}

namespace tavrino::bench {

// A benchmark database of this many services, 64 satellites and 50 bouquets of up to 200
// items; generated once per run into a temporary folder.
const std::filesystem::path& sampleFolder(int services);
std::size_t folderBytes(const std::filesystem::path& folder);

// The usual benchmark database: 30,000 services, about 7.9 MB.
inline constexpr int largeSampleServices = 30000;
inline const std::filesystem::path& largeSampleFolder() {
    return sampleFolder(largeSampleServices);
}
inline std::size_t largeSampleBytes() {
    return folderBytes(largeSampleFolder());
}

// Answers every question Yes and keeps nothing it is told.
class YesPrompter : public Prompter {
public:
    void tell(const Notice&) override {}
    bool ask(const Notice&) override { return true; }
};

// The benchmark database opened once per process (aborts when it cannot be opened).
Workspace& largeWorkspace();

// Median wall time of `runs` calls, in seconds.
double medianSeconds(const std::function<void()>& work, int runs = 7);

// The fastest wall times of `work` and of its `floor`, each run about `runs` times in
// alternating blocks, so a busy machine slows both alike; returns {work, floor} in seconds.
std::pair<double, double> fastestBesideFloor(const std::function<void()>& work,
                                             const std::function<void()>& floor, int runs = 9);

// Resident memory now and the peak since the last reset, in bytes (Linux /proc).
std::size_t residentBytes();
std::size_t peakResidentBytes();

} // namespace tavrino::bench
