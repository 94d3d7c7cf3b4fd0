#include "services/service_details.h"

namespace tavrino {

std::string channelInfoText(const ServiceTable& table, std::size_t tableRow) {
    static constexpr const char* rule = "------------------";
    struct Line {
        std::uint8_t bit;
        const char* set;
        const char* clear;
    };
    static constexpr Line lines[] = {
        {flagHd, "HD Ch.", "SD Ch."},
        {flagDsmcc, "DSMCC Ch.", nullptr},
        {flagAutoPid, "AutoPid", nullptr},
        {flagSkipped, "Skiped Ch.", nullptr},
        {flagScrambled, "Scrambled Ch.", nullptr},
        {flagLocked, "LOCKed Ch.", nullptr},
        {flagValid, "Valid Ch.", nullptr},
    };
    const std::uint16_t flags = table.row(tableRow).record.flags;
    std::string text = table.serviceName(tableRow) + "\n" + rule;
    for (const Line& line : lines) {
        const char* shown = (flags & line.bit) ? line.set : line.clear;
        if (shown != nullptr) {
            text += "\n";
            text += shown;
        }
    }
    return text + "\n" + rule;
}

std::string clipboardText(const ServiceTable& table, const ServiceView& view,
                          std::size_t selectedPosition) {
    std::string text;
    long long previous = 0;
    for (std::size_t i = selectedPosition + 1;
         i <= selectedPosition + clipboardRowLimit && i < view.size(); ++i) {
        const std::uint32_t row = view.tableRow(i);
        const long long satPos = table.row(row).record.satIndex;
        text += std::to_string(satPos) + " - " + std::to_string(previous - satPos) + " - " +
                table.serviceName(row) + " - " + table.cellText(row, colType) + "\r\n";
        previous = satPos;
    }
    return text;
}

} // namespace tavrino
