#include "satellites/dvbs_edit.h"

#include "common/number_text.h"
#include "database/byte_reader.h"
#include "database/layout.h"

#include <algorithm>

namespace tavrino::dvbs_edit {
namespace dv = layout::dvbs;
namespace an = layout::antenna;

void entryFixedBytes(Bytes& image, std::size_t at, std::int32_t position) {
    namespace t = dv::transponder;
    constexpr std::uint8_t fillerByte = 0x33;
    constexpr int markerValue = 2;
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at + t::filler), 8, fillerByte);
    writeNumber(image, at + t::marker, 4, markerValue);
    writeNumber(image, at + t::orbitalPosition, 4, position);
    image[at + t::zeroBefore] = 0;
    image[at + t::zeroAfter] = 0;
}

Bytes newAntennaImage() {
    Bytes image(an::convertedSize, 0);
    for (const std::size_t at : an::layoutMarks) {
        image[at] = 1;
    }
    return image;
}

std::size_t endOf(const DvbsSatellite& satellite) {
    return satellite.offset + dv::satelliteSize +
           dv::transponderSize * static_cast<std::size_t>(satellite.tpCount);
}

Bytes spliced(const Bytes& image, std::size_t at, std::size_t removed,
              std::span<const std::uint8_t> inserted) {
    Bytes out;
    out.reserve(image.size() - removed + inserted.size());
    out.insert(out.end(), image.begin(), image.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), inserted.begin(), inserted.end());
    out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(at + removed), image.end());
    return out;
}

std::variant<std::int32_t, FieldRefusal> positionTenths(const std::string& degrees, int eastWest,
                                                        const char* caption) {
    const auto tenths = parseDegreesAsTenths(degrees);
    if (!tenths || eastWest < 0 || eastWest > 1) {
        return refuseField(caption, "enter degrees from 0.0 to 180.0 with E or W");
    }
    return eastWest == 1 ? -*tenths : *tenths;
}

std::variant<std::int64_t, FieldRefusal> numberIn(const std::string& text, const char* caption,
                                                  std::int64_t min, std::int64_t max) {
    if (const auto value = parseWhole(text, min, max)) {
        return *value;
    }
    if (min == min32 && max == max32) {
        return refuseField(caption, "enter a whole number of 32 bits");
    }
    return refuseField(caption, "enter a whole number from " + std::to_string(min) + " to " +
                                    std::to_string(max));
}

} // namespace tavrino::dvbs_edit
