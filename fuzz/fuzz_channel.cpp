// Inputs shorter than the fixed areas are taken as a service tree behind the fixed areas of a
// generated database; longer ones as a whole all_channel.dat.
#include "database/channel_file.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "samplegen/sample_generator.h"
#include "services/service_table.h"
#include "services/service_view.h"

#include <cstdint>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Bytes fixedAreas = [] {
        Bytes b = sample::generate({.services = 0, .satellites = 0, .bouquets = 5}).channel;
        b.resize(layout::channel::serviceTree, 0);
        return b;
    }();
    static ChannelImage image; // reused so its pages stay mapped between runs
    if (size >= layout::channel::serviceTree) {
        image.bytes.assign(data, data + size);
    } else {
        image.bytes.assign(fixedAreas.begin(), fixedAreas.end());
        image.bytes.insert(image.bytes.end(), data, data + size);
    }
    try {
        checkChannelFile(image, "fuzz");
        const auto providers = decodeProviders(image, "fuzz");
        decodeBouquets(image, "fuzz");
        const auto table = ServiceTable::build(image, "fuzz", providers, CodePage::windows1252());
        ServiceView view;
        view.reset(table);
        view.sort(table, colService, true);
        view.findByName(table, "a");
        for (std::size_t r = 0; r < table.size() && r < 64; ++r) {
            for (int c = 0; c < serviceColumnCount; ++c) {
                table.cellText(r, c);
            }
        }
        if (image.bytes[0] < 9) {
            remarkReferences(image, "fuzz");
        }
    } catch (const FileProblem&) {
    }
    return 0;
}
