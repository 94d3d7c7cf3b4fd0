#pragma once

#include "common/notice.h"
#include "database/byte_image.h"
#include "database/transponder_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

// Pieces the satellite and transponder editors share.
namespace tavrino::dvbs_edit {

// Bytes +80..+107 of every satellite header the editor and the imports create.
inline constexpr std::array<std::uint8_t, 28> headerTemplate = {
    34, 34, 34, 34, 34, 34, 34, 34, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};

// The bytes every transponder entry written gets at `at`: the filler, the marker, the
// satellite's position and the two zero bytes.
void entryFixedBytes(Bytes& image, std::size_t at, std::int32_t position);

// A new antenna file in the current layout, as the conversion of old files leaves it.
Bytes newAntennaImage();

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
