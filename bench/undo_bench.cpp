// What undo costs on the 30,000-service database: recording during an edit (beside the same
// edit's writes without recording) and undoing, including the refresh of the tables.
#include "bench_support.h"
#include "bouquets/bouquet_editor.h"
#include "database/layout.h"
#include "services/flag_edit.h"

#include <benchmark/benchmark.h>
#include <numeric>

namespace tavrino::bench {
namespace {

Workspace& workspace() {
    return largeWorkspace();
}

std::vector<std::uint32_t> allRows() {
    std::vector<std::uint32_t> rows(workspace().services().size());
    std::iota(rows.begin(), rows.end(), 0u);
    return rows;
}

// As the document's flag command does it: the rows are brought in step as they are written,
// so the step's close reads none of them again.
void lockAll(bool set) {
    Workspace& ws = workspace();
    const auto rows = allRows();
    const auto step = ws.beginEdit(flagCommandName(flagLocked, set, rows.size()));
    ImageEditor editor = ws.channelEditor();
    changeFlagBit(editor, ws.services(), rows, flagLocked, set);
    ws.servicesInStep(rows);
}

// The floor: the same flag writes straight into a copy of the image, nothing recorded.
void BM_FlagAllRows_WithoutRecording(benchmark::State& state) {
    Workspace& ws = workspace();
    Bytes image = ws.channelBytes();
    bool set = true;
    for (auto _ : state) {
        for (std::uint32_t row = 0; row < ws.services().size(); ++row) {
            const DecodedService& r = ws.services().row(row).record;
            const auto low = static_cast<std::uint8_t>(r.flags & 0xFF);
            const auto value = set ? (low | flagLocked) : (low & ~flagLocked);
            writeNumber(image, r.offset + layout::channel::service::flags, 1, value);
            ws.services().setFlags(row, static_cast<std::uint16_t>((r.flags & 0xFF00) | value));
        }
        set = !set;
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_FlagAllRows_WithoutRecording)->Unit(benchmark::kMillisecond);

void BM_FlagAllRows_Recorded(benchmark::State& state) {
    bool set = true;
    for (auto _ : state) {
        lockAll(set);
        set = !set;
    }
    state.counters["rows"] = static_cast<double>(workspace().services().size());
}
BENCHMARK(BM_FlagAllRows_Recorded)->Unit(benchmark::kMillisecond);

void BM_UndoFlagOnAllRows(benchmark::State& state) {
    Workspace& ws = workspace();
    bool set = true;
    for (auto _ : state) {
        state.PauseTiming();
        lockAll(set);
        set = !set;
        state.ResumeTiming();
        benchmark::DoNotOptimize(ws.undo());
    }
}
BENCHMARK(BM_UndoFlagOnAllRows)->Unit(benchmark::kMillisecond);

void BM_Drop200Services(benchmark::State& state) {
    YesPrompter prompter;
    BouquetEditor editor(workspace(), prompter);
    std::vector<std::uint32_t> services(200);
    std::iota(services.begin(), services.end(), 1000u);
    const int row = *editor.add("Bench").select;
    for (auto _ : state) {
        editor.dropServices(row, services, std::nullopt);
        state.PauseTiming();
        workspace().undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Drop200Services)->Unit(benchmark::kMillisecond);

// What a drop's recording adds: the 4,800-byte item table and the count, kept and sealed.
void BM_RecordADrop(benchmark::State& state) {
    Bytes image = workspace().channelBytes();
    Bytes none;
    EditHistory history({&image, &none, &none});
    const std::size_t table = layout::channel::bouquetItems;
    for (auto _ : state) {
        history.begin("Drop 200 Services");
        history.recordOverwrite(ImageKind::Channel, table,
                                {image.data() + table, layout::channel::bouquetItemTableSize});
        image[table] ^= 1; // a real change, so the step is kept
        history.recordOverwrite(ImageKind::Channel, layout::channel::bouquetItemCounts,
                                {image.data() + layout::channel::bouquetItemCounts, 1});
        history.end();
    }
}
BENCHMARK(BM_RecordADrop)->Unit(benchmark::kMicrosecond);

void BM_UndoDrop200Services(benchmark::State& state) {
    YesPrompter prompter;
    BouquetEditor editor(workspace(), prompter);
    std::vector<std::uint32_t> services(200);
    std::iota(services.begin(), services.end(), 2000u);
    const int row = *editor.add("Bench undo").select;
    for (auto _ : state) {
        state.PauseTiming();
        editor.dropServices(row, services, std::nullopt);
        state.ResumeTiming();
        benchmark::DoNotOptimize(workspace().undo());
        benchmark::DoNotOptimize(editor.items(row).size()); // the contents as shown again
    }
}
BENCHMARK(BM_UndoDrop200Services)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
