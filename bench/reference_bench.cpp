// Reference lists on the 30,000-service database. Budgets: applying a list of 50 bouquets of
// 200 items (reading the CSV, finding every service, writing the bouquets as one step) under
// 20 ms; exporting 50 full bouquets under 10 ms. Each reports "budget_ms".
#include "bench_support.h"
#include "common/csv.h"
#include "reference/bouquet_apply.h"
#include "reference/service_matcher.h"

#include <benchmark/benchmark.h>

namespace tavrino::bench {
namespace {

// The large sample as a rescan finds it: every service moved and given a new link, so every
// bouquet is rebuilt from scratch.
const std::filesystem::path& rescannedFolder() {
    static const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "tavrino-bench-30000-rescan";
        const auto scanned = sample::generate(
            {.services = 30000, .satellites = 64, .bouquets = 50, .version = 10, .seed = 2026});
        sample::writeFolder(sample::rescan(scanned, {.seed = 7}).files, path);
        return path;
    }();
    return folder;
}

struct Setup {
    Workspace ws;
    YesPrompter prompter;
    BouquetEditor editor{ws, prompter};
    std::string list; // the 50 bouquets of the database, 200 services each
};

Setup& setup() {
    static Setup s;
    static const bool ready = [] {
        if (!s.ws.openFolder(rescannedFolder()).opened()) {
            return false;
        }
        const ServiceTable& t = s.ws.services();
        s.list = csv::record({referenceHeader.begin(), referenceHeader.end()});
        std::size_t service = 0;
        for (const auto& bouquet : s.ws.files().bouquets.rows) {
            const std::string name = s.ws.codePage().toUtf8(bouquet.name);
            for (int item = 1; item <= 200; ++item, service += 3) {
                const std::size_t r = service % t.size();
                const auto position = satellitePosition(s.ws, t.row(r).record.satIndex);
                s.list += csv::record(
                    {name, std::to_string(item), t.serviceName(r), t.cellText(r, colSatellite),
                     position ? positionText(*position) : "", t.cellText(r, colFrequency),
                     t.cellText(r, colPol), t.cellText(r, colSid), t.cellText(r, colTid),
                     t.cellText(r, colNid), t.cellText(r, colType)});
            }
        }
        return s.ws.files().bouquets.rows.size() == 50;
    }();
    if (!ready) {
        std::abort();
    }
    return s;
}

void BM_ReadList50x200(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseReferenceList(s.list, s.ws.codePage()).rows.size());
    }
    state.counters["MB"] = static_cast<double>(s.list.size()) / 1e6;
}
BENCHMARK(BM_ReadList50x200)->Unit(benchmark::kMillisecond);

void BM_PlanList50x200(benchmark::State& state) {
    Setup& s = setup();
    const ReferenceList list = parseReferenceList(s.list, s.ws.codePage());
    for (auto _ : state) {
        benchmark::DoNotOptimize(planApply(s.ws, s.editor, list, false).rows.size());
    }
}
BENCHMARK(BM_PlanList50x200)->Unit(benchmark::kMillisecond);

// The whole apply: read, find, write 50 full bouquets as one undoable step. The undo that
// brings the stale bouquets back for the next round is not timed.
void BM_ApplyList50x200(benchmark::State& state) {
    Setup& s = setup();
    std::size_t written = 0;
    for (auto _ : state) {
        const ReferenceList list = parseReferenceList(s.list, s.ws.codePage());
        written = applyPlan(s.ws, s.editor, planApply(s.ws, s.editor, list, false)).size();
        state.PauseTiming();
        s.ws.undo();
        state.ResumeTiming();
    }
    state.counters["bouquets_written"] = static_cast<double>(written);
    state.counters["budget_ms"] = 20;
}
BENCHMARK(BM_ApplyList50x200)->Unit(benchmark::kMillisecond);

void BM_Export50x200(benchmark::State& state) {
    Setup& s = setup();
    applyPlan(s.ws, s.editor,
              planApply(s.ws, s.editor, parseReferenceList(s.list, s.ws.codePage()), false));
    std::size_t size = 0;
    for (auto _ : state) {
        size = exportReferenceList(s.ws).size();
    }
    s.ws.undo();
    state.counters["MB"] = static_cast<double>(size) / 1e6;
    state.counters["budget_ms"] = 10;
}
BENCHMARK(BM_Export50x200)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
