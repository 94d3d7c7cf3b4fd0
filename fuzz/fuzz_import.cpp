// The satellites.xml and KingOfSat list readers, and the images an import builds from what
// they accept: the first byte chooses the reader, the rest is the file.
#include "database/antenna_file.h"
#include "database/file_problem.h"
#include "database/transponder_file.h"
#include "import/import_plan.h"
#include "import/satellites_xml.h"
#include "import/transponder_list.h"

#include <cstdint>
#include <cstdlib>

using namespace tavrino;

namespace {

// Whatever a reader accepts must make images that read back as the satellites imported.
void importAndCheck(const ImportedList& list) {
    const SatelliteFiles none;
    const ImportChoice choice = defaultChoice(list);
    const ImportPlan plan = planImport(list, choice, none, CodePage::windows1252());
    ImportImages images = buildImportImages(list, plan, none);
    const auto satellites =
        decodeTransponderFile(TransponderImage{std::move(images.dvbs)}, "DVBS.dat");
    const auto settings = decodeSatelliteFile(SatelliteImage{std::move(images.antenna)}, "a");
    if (satellites.size() != plan.chosen.size() ||
        settings.satelliteCount != static_cast<int>(plan.chosen.size())) {
        std::abort();
    }
    for (std::size_t n = 0; n < satellites.size(); ++n) {
        const ImportedSatellite& sat = list.satellites[plan.chosen[n]];
        if (satellites[n].tpCount != static_cast<int>(sat.transponders.size()) ||
            satellites[n].orbitalPosition != sat.position) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        if (data[0] % 2 == 0) {
            importAndCheck(parseSatellitesXml(text, "satellites.xml"));
        } else {
            ImportedList list;
            list.satellites.push_back(parseTransponderList(text, "list.ini", list.notes));
            importAndCheck(list);
        }
    } catch (const FileProblem&) {
    }
    return 0;
}
