#pragma once

#include "database/file_io.h"
#include "import/imported_list.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tavrino {

// Far more than any published satellites.xml (the largest are a few MB).
inline constexpr SizeLimit satellitesXmlLimit{64u << 20, "64 MiB, far more than such a list holds"};

// A satellites.xml document: any XML whose root element is <satellites>, attributes in any
// order, UTF-8 or the single-byte encoding its declaration names. Throws FileProblem naming
// `path` and, for a malformed or unusable document, the line and column.
ImportedList parseSatellitesXml(std::string_view bytes, const std::string& path);

// Reads and parses the file; a missing or empty one is the "Empty file" problem.
ImportedList readSatellitesXml(const std::filesystem::path& path);

} // namespace tavrino
