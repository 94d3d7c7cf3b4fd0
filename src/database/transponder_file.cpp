#include "database/transponder_file.h"

#include "database/byte_reader.h"
#include "database/layout.h"
#include "database/option_texts.h"

#include <stdexcept>

namespace tavrino {
namespace dv = layout::dvbs;

std::vector<DvbsSatellite> decodeTransponderFile(const TransponderImage& image,
                                                 const std::string& path) {
    const ByteReader reader(image.bytes, path);
    reader.require(0, dv::headerSize, "the header");
    const auto count =
        static_cast<std::size_t>(reader.readNumber(dv::satelliteCount, 2, "the satellite count"));
    if (count > dv::maxSatellites) {
        reader.fail("the satellite count at offset " + std::to_string(dv::satelliteCount) + " is " +
                    std::to_string(count) + ", more than 256");
    }
    std::vector<DvbsSatellite> satellites;
    satellites.reserve(count);
    std::size_t p = dv::headerSize;
    for (std::size_t i = 0; i < count; ++i) {
        const auto rec =
            reader.record(p, dv::satelliteSize, "the record of satellite " + std::to_string(i));
        DvbsSatellite s;
        s.offset = p;
        s.name = rec.name(dv::satelliteName, dv::satelliteNameWidth);
        s.tpCount = rec.u16(dv::satelliteTpCount);
        s.orbitalPosition = rec.i32(dv::satelliteOrbitalPosition);
        const std::size_t entries = dv::transponderSize * static_cast<std::size_t>(s.tpCount);
        reader.require(p + dv::satelliteSize, entries,
                       "the transponder list of satellite " + std::to_string(i));
        p += dv::satelliteSize + entries;
        satellites.push_back(std::move(s));
    }
    return satellites;
}

std::size_t satelliteOffset(const TransponderImage& image, int index) {
    const ByteReader reader(image.bytes, dvbsFileName);
    const auto count = reader.readNumber(dv::satelliteCount, 2, "the satellite count");
    if (index < 0 || index >= count) {
        throw std::out_of_range("no satellite " + std::to_string(index) + " in DVBS.dat");
    }
    std::size_t p = dv::headerSize;
    for (int i = 0; i < index; ++i) {
        const auto tpCount = static_cast<std::size_t>(
            reader.readNumber(p + dv::satelliteTpCount, 2, "a transponder count"));
        p += dv::satelliteSize + dv::transponderSize * tpCount;
    }
    reader.require(p, dv::satelliteSize, "the record of satellite " + std::to_string(index));
    return p;
}

std::vector<DvbsTransponder> listTransponders(const TransponderImage& image, int index) {
    namespace t = dv::transponder;
    const ByteReader reader(image.bytes, dvbsFileName);
    const std::size_t start = satelliteOffset(image, index);
    const auto tpCount = reader.readNumber(start + dv::satelliteTpCount, 2, "a transponder count");
    std::vector<DvbsTransponder> list;
    list.reserve(static_cast<std::size_t>(tpCount));
    for (std::int64_t j = 0; j < tpCount; ++j) {
        const auto rec = reader.record(
            start + dv::satelliteSize + dv::transponderSize * static_cast<std::size_t>(j),
            dv::transponderSize, "the record of transponder " + std::to_string(j));
        DvbsTransponder tp;
        tp.frequency = rec.i32(t::frequency);
        tp.nid = rec.u16(t::nid);
        tp.tid = rec.u16(t::tid);
        tp.symbolRate = rec.i32(t::symbolRate);
        tp.fec = rec.u8(t::fec);
        tp.polarization = rec.u8(t::polarization);
        tp.weFlag = rec.u8(t::weFlag);
        tp.pilot = rec.u8(t::pilot);
        tp.orbitalPosition = rec.i32(t::orbitalPosition);
        tp.modulationSystem = rec.u8(t::modulationSystem);
        tp.modulationType = rec.u8(t::modulationType);
        list.push_back(tp);
    }
    return list;
}

PositionText formatPosition(std::int64_t tenths) {
    const std::int64_t magnitude = tenths < 0 ? -tenths : tenths;
    return {std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10),
            tenths < 0 ? "W" : "E"};
}

TransponderDisplay describeTransponder(const DvbsTransponder& tp) {
    using namespace options;
    return {entryOrNumber(fecRates(), tp.fec),
            entryOrNumber(polarizations(), tp.polarization),
            entryOrNumber(pilots(), tp.pilot),
            entryOrNumber(modulationSystems(), tp.modulationSystem),
            entryOrNumber(modulationTypes(), tp.modulationType, 1),
            formatPosition(tp.orbitalPosition)};
}

} // namespace tavrino
