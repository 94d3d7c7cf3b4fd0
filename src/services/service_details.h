#pragma once

#include "services/service_view.h"

#include <optional>
#include <string>

namespace tavrino {

// The "Channel Info" tip: name, a rule, one line per set flag ("HD Ch." or "SD Ch." always),
// a rule. Lines are separated by "\n".
std::string channelInfoText(const ServiceTable& table, std::size_t tableRow);
inline constexpr const char* channelInfoTitle = "Channel Info";

inline constexpr std::size_t clipboardRowLimit = 101;

// The "Clipboard" text: for up to 101 rows after the selected position, "SatPos - step - name
// - type" lines ended by CR LF, where step is the previous row's SatPos minus this one's.
std::string clipboardText(const ServiceTable& table, const ServiceView& view,
                          std::size_t selectedPosition);

} // namespace tavrino
