// Comparing two lists of 30,000 services: a list with itself, with a rescan of it (every
// service moved and relinked) and with another receiver's list (almost nothing pairs, so every
// rule is tried). Budget: under 100 ms each ("budget_ms"), well under the second a person
// waits for a send's preview. Each also reports its floor measured in the same run, opening
// both folders ("open_ms", what every comparison pays first), and "x_open", its time divided
// by that floor.
#include "bench_support.h"
#include "compare/comparison.h"
#include "workspace/workspace.h"

#include <benchmark/benchmark.h>

namespace tavrino::bench {
namespace {
namespace fs = std::filesystem;

// The large sample scanned again: every service moved and relinked, some gone or renamed.
const fs::path& rescannedFolder() {
    static const fs::path folder = [] {
        const auto path = fs::temp_directory_path() / "tavrino-bench-30000-rescanned";
        const auto scanned = sample::generate(
            {.services = 30000, .satellites = 64, .bouquets = 50, .version = 10, .seed = 2026});
        sample::writeFolder(sample::rescan(scanned, {.seed = 7}).files, path);
        return path;
    }();
    return folder;
}

// Another receiver altogether.
const fs::path& strangerFolder() {
    static const fs::path folder = [] {
        const auto path = fs::temp_directory_path() / "tavrino-bench-30000-stranger";
        sample::writeFolder(
            sample::generate(
                {.services = 30000, .satellites = 64, .bouquets = 50, .version = 10, .seed = 77}),
            path);
        return path;
    }();
    return folder;
}

void openBoth(const fs::path& a, const fs::path& b) {
    Workspace first;
    Workspace second;
    first.openFolder(a);
    second.openFolder(b);
    benchmark::DoNotOptimize(first.services().size() + second.services().size());
}

void compareWith(benchmark::State& state, const fs::path& other) {
    const fs::path& mine = largeSampleFolder();
    Workspace before;
    Workspace after;
    if (!before.openFolder(mine).opened() || !after.openFolder(other).opened()) {
        state.SkipWithError("open failed");
        return;
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = compareWorkspaces(before, after).rows().size();
    }
    const auto [perCompare, floor] = fastestBesideFloor(
        [&] { benchmark::DoNotOptimize(compareWorkspaces(before, after).rows().size()); },
        [&] { openBoth(mine, other); });
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["open_ms"] = floor * 1e3;
    state.counters["x_open"] = perCompare / floor;
    state.counters["budget_ms"] = 100;
}

void BM_CompareSame(benchmark::State& state) {
    compareWith(state, largeSampleFolder());
}
BENCHMARK(BM_CompareSame)->Unit(benchmark::kMillisecond);

void BM_CompareRescan(benchmark::State& state) {
    compareWith(state, rescannedFolder());
}
BENCHMARK(BM_CompareRescan)->Unit(benchmark::kMillisecond);

void BM_CompareStranger(benchmark::State& state) {
    compareWith(state, strangerFolder());
}
BENCHMARK(BM_CompareStranger)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
