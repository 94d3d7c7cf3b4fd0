#include "services/service_columns.h"

namespace tavrino {

const std::array<ServiceColumnInfo, serviceColumnCount>& serviceColumns() {
    using enum SortKind;
    static constexpr std::array<ServiceColumnInfo, serviceColumnCount> columns = {{
        {"Service", 2822, Text},   {"Provider", 2822, Text},    {"Type", 1235, Text},
        {"Satellite", 3175, Text}, {"Frequency", 1852, Number}, {"Pol", 794, Text},
        {"TID", 1235, Number},     {"NID", 1235, Number},       {"SID", 1235, Number},
        {"VPID", 1235, Number},    {"APID", 1235, Number},      {"PMT", 1235, Number},
        {"PCR", 1235, Number},     {"TXT", 1235, Number},       {"SatPos", 0, Number},
        {"FLAG", 0, Number},       {"type", 0, Number},         {"countryid", 0, Number},
        {"genreid", 0, Number},    {"video_tag", 0, Number},    {"audio_tag", 0, Number},
        {"HDFlag", 0, Number},     {"Lokacija", 0, Number},
    }};
    return columns;
}

std::optional<int> serviceColumnByHeader(std::string_view header) {
    const auto& columns = serviceColumns();
    for (int i = 0; i < serviceColumnCount; ++i) {
        if (columns[static_cast<std::size_t>(i)].header == header) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace tavrino
