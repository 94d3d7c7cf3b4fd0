#pragma once

#include "common/notice.h"
#include "database/byte_image.h"
#include "database/transponder_file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

// Pieces the satellite and transponder editors share.
namespace tavrino::dvbs_edit {

// Offset just past the transponder entries of a satellite.
std::size_t endOf(const DvbsSatellite& satellite);

// A copy of `image` with `removed` bytes at `at` replaced by `inserted`.
Bytes spliced(const Bytes& image, std::size_t at, std::size_t removed,
              std::span<const std::uint8_t> inserted);

// Tenths of a degree from a position box and its East/West list ("E" 0, "W" 1).
std::variant<std::int32_t, FieldRefusal> positionTenths(const std::string& degrees, int eastWest,
                                                        const char* caption);

// A whole number for a box, or the refusal naming it.
std::variant<std::int64_t, FieldRefusal> numberIn(const std::string& text, const char* caption,
                                                  std::int64_t min, std::int64_t max);

} // namespace tavrino::dvbs_edit
