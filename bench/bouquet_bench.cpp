// Bouquet edits on the 30,000-service database, each including the refill of the contents.
#include "bench_support.h"
#include "bouquets/bouquet_editor.h"

#include <benchmark/benchmark.h>
#include <numeric>

namespace tavrino::bench {
namespace {

Workspace& workspace() {
    return largeWorkspace();
}

void BM_Drop200ServicesIntoAnEmptyBouquet(benchmark::State& state) {
    YesPrompter prompter;
    BouquetEditor editor(workspace(), prompter);
    const int row = 1;
    std::vector<std::uint32_t> services(200);
    std::iota(services.begin(), services.end(), 1000u);
    std::vector<int> all(200);
    std::iota(all.begin(), all.end(), 0);
    for (auto _ : state) {
        state.PauseTiming();
        editor.deleteItems(row, all);
        state.ResumeTiming();
        editor.dropServices(row, services, std::nullopt);
        benchmark::DoNotOptimize(editor.items(row).size());
    }
}
BENCHMARK(BM_Drop200ServicesIntoAnEmptyBouquet)->Unit(benchmark::kMillisecond);

void BM_ReorderInAFullBouquet(benchmark::State& state) {
    YesPrompter prompter;
    BouquetEditor editor(workspace(), prompter);
    const int row = 0; // the generator fills the first bouquet to 200 items
    for (auto _ : state) {
        editor.moveItems(row, {10, 50, 100}, 150);
        benchmark::DoNotOptimize(editor.items(row).size());
    }
    state.counters["items"] = static_cast<double>(editor.items(row).size());
}
BENCHMARK(BM_ReorderInAFullBouquet)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
