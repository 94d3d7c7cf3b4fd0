// Speed and memory budgets of the core. Open and save run at 3,000, 30,000 and 200,000
// services; each reports "x_floor", its time divided by its floor measured in the same run.
// Budgets: open within 3x reading the bytes from the page cache and copying them once; the
// peak memory of an open within 2x the file size; save within 1.2x a plain write + fsync.
// The list operations run on 30,000 services.
#include "bench_support.h"
#include "database/file_io.h"
#include "workspace/workspace.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace tavrino::bench {
namespace fs = std::filesystem;

namespace {

const char* const fileNames[] = {"all_channel.dat", "antenna_list.dat", "DVBS.dat"};

// Sizes of the scale series: a small list, the usual large one, the generator's largest.
void scaleSeries(benchmark::internal::Benchmark* b) {
    b->Arg(3000)->Arg(30000)->Arg(200000)->Unit(benchmark::kMillisecond);
}

const fs::path& folderOf(const benchmark::State& state) {
    return sampleFolder(static_cast<int>(state.range(0)));
}

// Floor of an open: the same bytes read from the page cache and copied once.
void readAndCopyOnce(const fs::path& folder) {
    for (const char* name : fileNames) {
        const auto bytes =
            readWholeFile(folder / name, {std::numeric_limits<std::uint64_t>::max(), "none"});
        Bytes copy(bytes->size());
        std::memcpy(copy.data(), bytes->data(), bytes->size());
        benchmark::DoNotOptimize(copy.data());
    }
}

Workspace& openedWorkspace() {
    return largeWorkspace();
}

void BM_Open(benchmark::State& state) {
    const fs::path& folder = folderOf(state);
    for (auto _ : state) {
        Workspace ws;
        if (!ws.openFolder(folder).opened()) {
            state.SkipWithError("open failed");
        }
        benchmark::DoNotOptimize(ws.services().size());
    }
    const auto [perOpen, floor] = fastestBesideFloor(
        [&] {
            Workspace ws;
            ws.openFolder(folder);
        },
        [&] { readAndCopyOnce(folder); });
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["x_floor"] = perOpen / floor;
    state.counters["MB"] = static_cast<double>(folderBytes(folder)) / 1e6;
}
BENCHMARK(BM_Open)->Apply(scaleSeries);

// Measured in a fresh process, so memory freed by earlier benchmarks cannot hide the peak.
std::size_t openPeakInFreshProcess(const fs::path& folder) {
    const std::string command =
        "/proc/" + std::to_string(::getpid()) + "/exe --open-peak-memory '" + folder.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    unsigned long long bytes = 0;
    if (pipe == nullptr || std::fscanf(pipe, "%llu", &bytes) != 1) {
        bytes = 0;
    }
    if (pipe != nullptr) {
        ::pclose(pipe);
    }
    return bytes;
}

void BM_OpenPeakMemory(benchmark::State& state) {
    const fs::path& folder = folderOf(state);
    std::size_t peak = 0;
    for (auto _ : state) {
        peak = openPeakInFreshProcess(folder);
    }
    if (peak == 0) {
        state.SkipWithError("the measuring process failed");
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_over_file_size"] =
        static_cast<double>(peak) / static_cast<double>(folderBytes(folder));
}
BENCHMARK(BM_OpenPeakMemory)->Apply(scaleSeries)->Iterations(1);

void BM_FilterOneSatellite(benchmark::State& state) {
    Workspace& ws = openedWorkspace();
    const auto block = static_cast<std::uint16_t>(ws.services().satelliteNames().size() / 2);
    for (auto _ : state) {
        ws.view().applyFilter(ws.services(), {block, std::nullopt});
        benchmark::DoNotOptimize(ws.view().size());
    }
    state.counters["rows"] = static_cast<double>(ws.view().size());
}
BENCHMARK(BM_FilterOneSatellite)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State& state) {
    Workspace& ws = openedWorkspace();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ws.view().reset(ws.services());
        state.ResumeTiming();
        ws.view().sortByHeaderClick(ws.services(), column);
    }
    state.SetLabel(std::string(serviceColumns()[static_cast<std::size_t>(column)].header));
}
BENCHMARK(BM_Sort)->Arg(colService)->Arg(colFrequency)->Unit(benchmark::kMillisecond);

void BM_NameSearch(benchmark::State& state) {
    Workspace& ws = openedWorkspace();
    ws.view().reset(ws.services());
    // A prefix no name has: the search reads every row.
    for (auto _ : state) {
        benchmark::DoNotOptimize(ws.view().findByName(ws.services(), "Zzq"));
    }
}
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMillisecond);

// Floor of a save: the same bytes written to the same kind of folder, flushed like a save.
void plainWrite(const Workspace& ws, const fs::path& folder) {
    const ReceiverFiles& f = ws.files();
    for (const auto& [name, bytes] :
         {std::pair{"all_channel.dat", &f.channel.bytes},
          std::pair{"DVBS.dat", &f.satelliteFiles.dvbs.bytes},
          std::pair{"antenna_list.dat", &f.satelliteFiles.antenna.bytes}}) {
        FILE* out = std::fopen((folder / name).c_str(), "wb");
        std::fwrite(bytes->data(), 1, bytes->size(), out);
        std::fflush(out);
        ::fsync(fileno(out));
        std::fclose(out);
    }
}

void BM_Save(benchmark::State& state) {
    Workspace ws;
    if (!ws.openFolder(folderOf(state)).opened()) {
        state.SkipWithError("open failed");
        return;
    }
    const fs::path out = fs::temp_directory_path() / "tavrino-bench-save";
    const fs::path floorOut = fs::temp_directory_path() / "tavrino-bench-save-floor";
    fs::create_directories(out);
    fs::create_directories(floorOut);
    for (auto _ : state) {
        if (!ws.save(out).ok()) {
            state.SkipWithError("save failed");
        }
    }
    const auto [perSave, floor] =
        fastestBesideFloor([&] { ws.save(out); }, [&] { plainWrite(ws, floorOut); });
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["x_floor"] = perSave / floor;
}
BENCHMARK(BM_Save)->Apply(scaleSeries);

} // namespace
} // namespace tavrino::bench

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--open-peak-memory") == 0) {
        const std::size_t baseline = tavrino::bench::residentBytes();
        tavrino::Workspace ws;
        if (!ws.openFolder(argv[2]).opened()) {
            return 1;
        }
        std::printf("%zu\n", tavrino::bench::peakResidentBytes() - baseline);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
