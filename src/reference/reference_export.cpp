#include "bouquets/bouquet_items.h"
#include "common/csv.h"
#include "database/file_io.h"
#include "reference/reference_list.h"
#include "reference/service_matcher.h"

#include <array>

namespace tavrino {
namespace {

// Writes the rows straight into one text; satellite names and positions are converted once.
class Exporter {
public:
    explicit Exporter(const Workspace& ws) : ws_(ws) {
        for (const std::string& name : ws.services().satelliteNames()) {
            blockNames_.push_back(ws.codePage().toUtf8(name));
        }
    }

    std::string run() {
        std::string out = csv::record({referenceHeader.begin(), referenceHeader.end()});
        out.reserve(100 * ws_.services().size() / 3 + 4096);
        for (const BouquetRecord& bouquet : ws_.files().bouquets.rows) {
            const std::string name = ws_.codePage().toUtf8(bouquet.name);
            const auto items = readStoredItems(ws_, bouquet.record);
            if (items.empty()) {
                csv::append(out, name);
                out += ",,,,,,,,,,\r\n";
            }
            for (std::size_t i = 0; i < items.size(); ++i) {
                csv::append(out, name);
                out += ',' + std::to_string(i + 1) + ',';
                if (const auto s = ws_.services().findByFlagAndSid(items[i].link, items[i].sid)) {
                    service(out, *s);
                } else {
                    stored(out, items[i]);
                }
                out += "\r\n";
            }
        }
        return out;
    }

private:
    // Numbers beyond the satellite table name no satellite.
    const std::string& positionOf(int satIndex) {
        if (satIndex < 0 || satIndex > 255) {
            return none_;
        }
        auto& text = positions_[static_cast<std::size_t>(satIndex)];
        if (!text) {
            const auto tenths = satellitePosition(ws_, satIndex);
            text = tenths ? positionText(*tenths) : std::string();
        }
        return *text;
    }

    const std::string& satelliteOf(int satIndex) {
        if (satIndex < 0 || satIndex > 255) {
            return none_;
        }
        auto& text = satellites_[static_cast<std::size_t>(satIndex)];
        if (!text) {
            text = ws_.satelliteName(satIndex);
        }
        return *text;
    }

    // The service's values as the service table shows them.
    void service(std::string& out, std::size_t s) {
        const ServiceRow& row = ws_.services().row(s);
        const DecodedService& r = row.record;
        csv::append(out, ws_.codePage().toUtf8(r.name));
        out += ',';
        csv::append(out, blockNames_[row.satelliteBlock]);
        out += ',' + positionOf(r.satIndex) + ',' + std::to_string(r.frequency) + ',';
        out += polText(row.pol);
        out += ',' + std::to_string(r.sid) + ',' + std::to_string(r.tid) + ',' +
               std::to_string(r.nid) + ',';
        out += typeText(row.type);
    }

    // An item whose service is gone: what the item itself stores, so another database may
    // still find the service by its numbers.
    void stored(std::string& out, const BouquetItem& item) {
        const char* pol = item.polarization == 0 ? "H" : item.polarization == 1 ? "V" : "";
        out += ',';
        csv::append(out, satelliteOf(item.satIndex));
        out += ',' + positionOf(item.satIndex) + ',' + std::to_string(item.frequency) + ',' + pol +
               ',' + std::to_string(item.sid) + ',' + std::to_string(item.tid) + ',' +
               std::to_string(item.nid) + ',';
    }

    const Workspace& ws_;
    std::vector<std::string> blockNames_;
    std::array<std::optional<std::string>, 256> positions_;
    std::array<std::optional<std::string>, 256> satellites_;
    const std::string none_;
};

} // namespace

std::string exportReferenceList(const Workspace& ws) {
    return Exporter(ws).run();
}

void exportBouquets(const Workspace& ws, const std::filesystem::path& path) {
    const std::string text = exportReferenceList(ws);
    writeFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace tavrino
