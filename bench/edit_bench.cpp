// Budgets of the editors: a service edit with everything the window shows afterwards, on the
// 30,000-service database (< 5 ms), and adding or deleting a transponder in a DVBS.dat of 64
// satellites and 3,000 transponders (< 2 ms).
#include "bench_support.h"
#include "bouquets/bouquet_editor.h"
#include "satellites/transponder_editor.h"
#include "workspace/service_edit.h"

#include <benchmark/benchmark.h>

namespace tavrino::bench {
namespace {

Workspace& open(Workspace& ws, const std::filesystem::path& folder) {
    if (!ws.openFolder(folder).opened()) {
        std::abort();
    }
    return ws;
}

Workspace& services() {
    return largeWorkspace();
}

Workspace& transponders() {
    static Workspace ws;
    static Workspace& opened = open(ws, [] {
        const auto folder = std::filesystem::temp_directory_path() / "tavrino-bench-3000tp";
        sample::writeFolder(sample::generate({.services = 30000,
                                              .satellites = 64,
                                              .bouquets = 50,
                                              .seed = 2026,
                                              .transponders = 3000}),
                            folder);
        return folder;
    }());
    return opened;
}

// "OK" in the service dialog after a rename and a new SID, which the bouquet items follow, then
// what the window reads again: the bouquet list and the contents of the selected bouquet.
void BM_EditServiceAndRefresh(benchmark::State& state) {
    Workspace& ws = services();
    YesPrompter prompter;
    BouquetEditor bouquets(ws, prompter);
    const std::uint32_t row = *bouquets.locate(0, 0);
    for (auto _ : state) {
        const ServiceForm opened = openServiceForm(ws, row);
        ServiceForm edited = opened;
        const bool flip = opened.sid == "4711";
        edited.name = flip ? "Edited B" : "Edited A";
        edited.sid = flip ? "4712" : "4711";
        const ServiceEditResult result = editService(ws, opened, edited);
        ws.refreshBouquets();
        benchmark::DoNotOptimize(bouquets.items(0).size());
        if (!result.written) {
            state.SkipWithError("the edit wrote nothing");
        }
    }
    state.counters["services"] = static_cast<double>(ws.services().size());
}
BENCHMARK(BM_EditServiceAndRefresh)->Unit(benchmark::kMillisecond);

void BM_UndoServiceEdit(benchmark::State& state) {
    Workspace& ws = services();
    const std::uint32_t row = 1234;
    for (auto _ : state) {
        state.PauseTiming();
        const ServiceForm opened = openServiceForm(ws, row);
        ServiceForm edited = opened;
        edited.pmt = opened.pmt == "100" ? "101" : "100";
        editService(ws, opened, edited);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ws.undo());
    }
}
BENCHMARK(BM_UndoServiceEdit)->Unit(benchmark::kMillisecond);

TransponderForm newTransponder() {
    TransponderForm form;
    form.frequency = "11778000";
    form.symbolRate = "27500000";
    return form;
}

void BM_AddTransponder(benchmark::State& state) {
    Workspace& ws = transponders();
    for (auto _ : state) {
        if (!addTransponder(ws, 30, newTransponder()).written) {
            state.SkipWithError("nothing added");
        }
        state.PauseTiming();
        ws.undo();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(ws.files().satelliteFiles.dvbs.length());
}
BENCHMARK(BM_AddTransponder)->Unit(benchmark::kMillisecond);

void BM_DeleteTransponder(benchmark::State& state) {
    Workspace& ws = transponders();
    for (auto _ : state) {
        if (!deleteTransponder(ws, 30, 0).written) {
            state.SkipWithError("nothing deleted");
        }
        state.PauseTiming();
        ws.undo();
        state.ResumeTiming();
    }
    std::size_t total = 0;
    for (const auto& satellite : ws.files().satelliteFiles.satellites) {
        total += static_cast<std::size_t>(satellite.tpCount);
    }
    state.counters["transponders"] = static_cast<double>(total);
}
BENCHMARK(BM_DeleteTransponder)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
