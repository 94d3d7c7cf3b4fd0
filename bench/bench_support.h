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

// The benchmark database: 30,000 services (about 7.6 MB), 64 satellites, 50 bouquets of up
// to 200 items; generated once per run into a temporary folder.
const std::filesystem::path& largeSampleFolder();
std::size_t largeSampleBytes();

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

// Resident memory now and the peak since the last reset, in bytes (Linux /proc).
std::size_t residentBytes();
std::size_t peakResidentBytes();

} // namespace tavrino::bench
