// Duplicates on 30,000 services. Budget: finding every group of the service list within one
// frame (16 ms), so the window may do it after each change; likewise the repeated items of all
// 50 bouquets, and removing 100 of them from a full bouquet as one step. Each reports
// "budget_ms".
#include "bench_support.h"
#include "bouquets/bouquet_duplicates.h"
#include "bouquets/bouquet_editor.h"
#include "reference/duplicate_services.h"
#include "samplegen/sample_duplicates.h"

#include <benchmark/benchmark.h>
#include <numeric>

namespace tavrino::bench {
namespace {

constexpr int madeGroups = 1500;

// The usual large sample with 1,500 groups made in it (about 3,750 services in groups).
Workspace& duplicatedWorkspace() {
    static Workspace ws;
    static const bool opened = [] {
        const auto path = std::filesystem::temp_directory_path() / "tavrino-bench-30000-duplicates";
        const auto made = sample::addDuplicates(sample::generate({.services = largeSampleServices,
                                                                  .satellites = 64,
                                                                  .bouquets = 50,
                                                                  .version = 10,
                                                                  .seed = 2026}),
                                                {.seed = 7, .groups = madeGroups});
        sample::writeFolder(made.files, path);
        return ws.openFolder(path).opened();
    }();
    if (!opened) {
        std::abort();
    }
    return ws;
}

void findGroups(benchmark::State& state, const Workspace& ws) {
    std::size_t groups = 0;
    for (auto _ : state) {
        groups = findDuplicateServices(ws).groups.size();
    }
    state.counters["groups"] = static_cast<double>(groups);
    state.counters["services"] = static_cast<double>(ws.services().size());
    state.counters["budget_ms"] = 16;
}

void BM_FindDuplicateServices(benchmark::State& state) {
    findGroups(state, duplicatedWorkspace());
}
BENCHMARK(BM_FindDuplicateServices)->Unit(benchmark::kMillisecond);

// The generated sample as it comes: SIDs drawn at random, so some services meet by chance.
void BM_FindDuplicateServicesInThePlainSample(benchmark::State& state) {
    findGroups(state, largeWorkspace());
}
BENCHMARK(BM_FindDuplicateServicesInThePlainSample)->Unit(benchmark::kMillisecond);

void BM_DuplicateItemsOf50Bouquets(benchmark::State& state) {
    Workspace& ws = duplicatedWorkspace();
    std::size_t repeated = 0;
    for (auto _ : state) {
        repeated = 0;
        for (const auto& bouquet : ws.files().bouquets.rows) {
            for (const auto& first : firstItemsNaming(ws, readBouquetItems(ws, bouquet.record))) {
                repeated += first ? 1 : 0;
            }
        }
    }
    state.counters["repeated_items"] = static_cast<double>(repeated);
    state.counters["budget_ms"] = 16;
}
BENCHMARK(BM_DuplicateItemsOf50Bouquets)->Unit(benchmark::kMillisecond);

// The first bouquet, full, holding its first 100 services twice; the undo that puts them back
// for the next round is not timed.
void BM_RemoveDuplicateItemsOfAFullBouquet(benchmark::State& state) {
    Workspace& ws = duplicatedWorkspace();
    YesPrompter prompter;
    BouquetEditor editor(ws, prompter);
    std::vector<int> secondHalf(100);
    std::iota(secondHalf.begin(), secondHalf.end(), 100);
    editor.deleteItems(0, secondHalf);
    std::vector<std::uint32_t> again;
    for (int item = 0; item < 100; ++item) {
        again.push_back(*editor.locate(0, item));
    }
    editor.dropServices(0, again, std::nullopt);
    const std::size_t before = editor.items(0).size();
    std::size_t after = 0;
    for (auto _ : state) {
        editor.removeDuplicateItems(0);
        state.PauseTiming();
        after = editor.items(0).size();
        ws.undo();
        state.ResumeTiming();
    }
    state.counters["items_before"] = static_cast<double>(before);
    state.counters["items_after"] = static_cast<double>(after);
    state.counters["budget_ms"] = 16;
}
BENCHMARK(BM_RemoveDuplicateItemsOfAFullBouquet)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
