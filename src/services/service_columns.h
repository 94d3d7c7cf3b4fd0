#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tavrino {

// Columns of the service table, in display order.
enum ServiceColumn : int {
    colService,
    colProvider,
    colType,
    colSatellite,
    colFrequency,
    colPol,
    colTid,
    colNid,
    colSid,
    colVpid,
    colApid,
    colPmt,
    colPcr,
    colTxt,
    colSatPos,
    colFlag,
    colTypeNumber,
    colCountryId,
    colGenreId,
    colVideoTag,
    colAudioTag,
    colHdFlag,
    colLokacija,
    serviceColumnCount
};

enum class SortKind { Text, Number };

struct ServiceColumnInfo {
    std::string_view header;
    int widthTwips; // 0: present but never shown
    SortKind sort;
};

const std::array<ServiceColumnInfo, serviceColumnCount>& serviceColumns();

// Column whose header is exactly `header` ("Type" and "type" are different columns).
std::optional<int> serviceColumnByHeader(std::string_view header);

} // namespace tavrino
