#pragma once

#include "services/service_view.h"

#include <filesystem>
#include <string>

namespace tavrino {

// The service view as a spreadsheet takes it: UTF-8 CSV with the 23 headers, then one row per
// service in view order (filter and sort as shown), lines ending in CR LF.
std::string serviceListCsv(const ServiceTable& table, const ServiceView& view);

// Writes serviceListCsv to `path` atomically; throws FileProblem.
void exportServiceList(const ServiceTable& table, const ServiceView& view,
                       const std::filesystem::path& path);

} // namespace tavrino
