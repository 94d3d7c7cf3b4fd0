// Importing openpli-2026.xml (208 satellites, 3,368 transponders) into the two images. Budget:
// at most 3 times what pugixml alone needs to parse the file ("x_pugixml"), and under 20 ms.
#include "bench_support.h"
#include "database/file_io.h"
#include "import/satellite_import.h"
#include "import/satellites_xml.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

namespace tavrino::bench {
namespace {

const std::string& openPliXml() {
    static const std::string text = [] {
        const auto bytes = readWholeFile(std::filesystem::path(TAVRINO_SHARED_DATA) /
                                             "satellites-xml/openpli-2026.xml",
                                         satellitesXmlLimit);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }();
    return text;
}

void parseWithPugixmlAlone() {
    pugi::xml_document document;
    const auto result = document.load_buffer(openPliXml().data(), openPliXml().size());
    benchmark::DoNotOptimize(result.status);
}

ImportImages importIntoImages() {
    const ImportedList list = parseSatellitesXml(openPliXml(), "openpli-2026.xml");
    const SatelliteFiles none;
    const ImportPlan plan = planImport(list, defaultChoice(list), none, CodePage::windows1252());
    return buildImportImages(list, plan, none);
}

void BM_PugixmlParseAlone(benchmark::State& state) {
    for (auto _ : state) {
        parseWithPugixmlAlone();
    }
    state.counters["kB"] = static_cast<double>(openPliXml().size()) / 1e3;
}
BENCHMARK(BM_PugixmlParseAlone)->Unit(benchmark::kMillisecond);

void BM_ImportXmlIntoImages(benchmark::State& state) {
    if (openPliXml().empty()) {
        state.SkipWithError("shared/data/satellites-xml/openpli-2026.xml is missing");
        return;
    }
    for (auto _ : state) {
        const ImportImages images = importIntoImages();
        benchmark::DoNotOptimize(images.dvbs.data());
    }
    const double pugixml = medianSeconds(parseWithPugixmlAlone, 21);
    const double ours = medianSeconds([] { importIntoImages(); }, 21);
    state.counters["pugixml_ms"] = pugixml * 1e3;
    state.counters["import_ms"] = ours * 1e3;
    state.counters["x_pugixml"] = ours / pugixml;
}
BENCHMARK(BM_ImportXmlIntoImages)->Unit(benchmark::kMillisecond);

// What the window does on "Import": the preview, then the step into a workspace.
void BM_PreviewAndApply(benchmark::State& state) {
    const ImportedList list = parseSatellitesXml(openPliXml(), "openpli-2026.xml");
    Workspace ws;
    if (!ws.openFolder(largeSampleFolder()).opened()) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        const ImportChoice choice = defaultChoice(list);
        benchmark::DoNotOptimize(previewImport(ws, list, choice).servicesRenumbered);
        applyImport(ws, list, choice);
    }
}
BENCHMARK(BM_PreviewAndApply)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
