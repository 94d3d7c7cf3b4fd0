#include "services/service_csv.h"

#include "common/csv.h"
#include "database/file_io.h"

namespace tavrino {

std::string serviceListCsv(const ServiceTable& table, const ServiceView& view) {
    std::vector<std::string> fields;
    for (const auto& column : serviceColumns()) {
        fields.emplace_back(column.header);
    }
    std::string out = csv::record(fields);
    for (const std::uint32_t row : view.rows()) {
        for (int c = 0; c < serviceColumnCount; ++c) {
            fields[static_cast<std::size_t>(c)] = table.cellText(row, c);
        }
        out += csv::record(fields);
    }
    return out;
}

void exportServiceList(const ServiceTable& table, const ServiceView& view,
                       const std::filesystem::path& path) {
    const std::string text = serviceListCsv(table, view);
    writeFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

} // namespace tavrino
