#include "bouquets/bouquet_items.h"
#include "common/csv.h"
#include "database/file_io.h"
#include "reference/reference_list.h"
#include "reference/service_matcher.h"

namespace tavrino {
namespace {

std::string positionOf(const Workspace& ws, int satIndex) {
    const auto tenths = satellitePosition(ws, satIndex);
    return tenths ? positionText(*tenths) : std::string();
}

// The service's values as the service table shows them.
std::vector<std::string> serviceFields(const Workspace& ws, std::size_t s) {
    const ServiceTable& table = ws.services();
    const ServiceRow& row = table.row(s);
    const DecodedService& r = row.record;
    return {table.serviceName(s),           table.cellText(s, colSatellite),
            positionOf(ws, r.satIndex),     std::to_string(r.frequency),
            std::string(polText(row.pol)),  std::to_string(r.sid),
            std::to_string(r.tid),          std::to_string(r.nid),
            std::string(typeText(row.type))};
}

// An item whose service is gone: what the item itself stores, so another database may still
// find the service by its numbers.
std::vector<std::string> storedFields(const Workspace& ws, const BouquetItem& item) {
    const char* pol = item.polarization == 0 ? "H" : item.polarization == 1 ? "V" : "";
    return {"",
            item.satellite,
            positionOf(ws, item.satIndex),
            std::to_string(item.frequency),
            pol,
            std::to_string(item.sid),
            std::to_string(item.tid),
            std::to_string(item.nid),
            ""};
}

} // namespace

std::string exportReferenceList(const Workspace& ws) {
    std::string out = csv::record({referenceHeader.begin(), referenceHeader.end()});
    for (const BouquetRecord& bouquet : ws.files().bouquets.rows) {
        const std::string name = ws.codePage().toUtf8(bouquet.name);
        const auto items = readBouquetItems(ws, bouquet.record);
        if (items.empty()) {
            out += csv::record({name, "", "", "", "", "", "", "", "", "", ""});
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto s = ws.services().findByFlagAndSid(items[i].link, items[i].sid);
            std::vector<std::string> fields = {name, std::to_string(i + 1)};
            const auto values = s ? serviceFields(ws, *s) : storedFields(ws, items[i]);
            fields.insert(fields.end(), values.begin(), values.end());
            out += csv::record(fields);
        }
    }
    return out;
}

void exportBouquets(const Workspace& ws, const std::filesystem::path& path) {
    const std::string text = exportReferenceList(ws);
    writeFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace tavrino
