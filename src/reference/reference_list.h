#pragma once

#include "common/code_page.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

class Workspace;

// The columns of a reference list, in order.
inline constexpr std::array<std::string_view, 11> referenceHeader = {
    "Bouquet", "Item", "Name", "Satellite", "Position", "Frequency",
    "Pol",     "SID",  "TID",  "NID",       "Type"};

// One row of a reference list: a bouquet item by the identity of its service, or (with no
// item number and no service values) a bouquet without items. Texts are UTF-8.
struct ReferenceRow {
    int line = 0; // where the row starts in the file, from 1
    std::string bouquet;
    std::string bouquetBytes; // the name in the database's code page
    std::optional<int> item;
    std::string name;
    std::string satellite;
    std::optional<int> position; // tenths of a degree, negative = West
    std::optional<std::int32_t> frequency;
    std::string pol; // "H", "V" or empty
    std::optional<std::uint16_t> sid;
    std::optional<std::uint16_t> tid;
    std::optional<std::uint16_t> nid;
    std::string type;

    // False for the row of a bouquet without items.
    bool namesService() const;
};

struct ReferenceList {
    std::vector<ReferenceRow> rows;
};

// "19.2E" for 192, "30.0W" for -300.
std::string positionText(int tenths);

// Reads a reference list; the code page must hold every bouquet name. Throws csv::Problem
// naming the line of the first row that is not CSV, not UTF-8 or not a reference row.
ReferenceList parseReferenceList(std::string_view text, const CodePage& codePage);

// The same from a file; throws FileProblem naming the file (and the line).
ReferenceList readReferenceList(const std::filesystem::path& path, const CodePage& codePage);

// The bouquets of the open database as a reference list: one row per item, in bouquet order
// and item order, and one row with an empty Item for each bouquet without items.
std::string exportReferenceList(const Workspace& workspace);

// Writes exportReferenceList to `path` atomically; throws FileProblem.
void exportBouquets(const Workspace& workspace, const std::filesystem::path& path);

} // namespace tavrino
