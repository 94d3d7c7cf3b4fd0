#include "database/antenna_file.h"

#include "database/byte_reader.h"
#include "database/layout.h"
#include "database/option_texts.h"

#include <cstdio>

namespace tavrino {
namespace an = layout::antenna;

AntennaSettings decodeSatelliteFile(const SatelliteImage& image, const std::string& path) {
    const ByteReader reader(image.bytes, path);
    const auto header = reader.record(0, an::headerSize, "the header");
    AntennaSettings settings;
    settings.longitude = header.u16(an::longitude);
    settings.latitude = header.u16(an::latitude);
    settings.satelliteCount = header.u16(an::satelliteCount);
    if (static_cast<std::size_t>(settings.satelliteCount) > an::maxSatellites) {
        reader.fail("the satellite count at offset " + std::to_string(an::satelliteCount) + " is " +
                    std::to_string(settings.satelliteCount) + ", more than 256");
    }
    settings.records.reserve(static_cast<std::size_t>(settings.satelliteCount));
    for (int i = 0; i < settings.satelliteCount; ++i) {
        namespace r = an::record;
        const auto rec =
            reader.record(an::headerSize + an::recordSize * static_cast<std::size_t>(i),
                          an::recordSize, "the record of satellite " + std::to_string(i));
        AntennaRecord a;
        a.netIndex = rec.u16(r::netIndex);
        a.nitSearch = rec.u16(r::nitSearch);
        a.tunerSelect = rec.u8(r::tunerSelect);
        a.lnbType = rec.u16(r::lnbType);
        a.lnbFrequency = rec.i32(r::lnbFrequency);
        a.lnbPower = rec.u8(r::lnbPower);
        a.tone22k = rec.u8(r::tone22k);
        a.switch12v = rec.u8(r::switch12v);
        a.diseqcPort = rec.u8(r::diseqcPort);
        a.motorMode = rec.u16(r::motorMode);
        a.motorPosition = rec.u16(r::motorPosition);
        settings.records.push_back(a);
    }
    return settings;
}

void convertAntennaLayout(SatelliteImage& image) {
    Bytes& b = image.bytes;
    if (b.size() < 8) {
        b.resize(8, 0); // both insertions need their offsets inside; the result is padded anyway
    }
    b.insert(b.begin() + 4, 24, 0);
    b.insert(b.begin() + 32, 4, 0);
    for (const std::size_t at : an::layoutMarks) {
        b[at] = 1;
    }
    b.resize(an::convertedSize, 0);
}

std::string antennaLine(int netIndex) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d.", netIndex);
    return text;
}

AntennaDisplay describeAntenna(const AntennaRecord& a) {
    using namespace options;
    AntennaDisplay d;
    d.nitSearch = entryOrNumber(offOn(), a.nitSearch);
    d.lnbType = entryOrNumber(lnbTypes(), a.lnbType, 1);
    d.power = entryOrNumber(offOn(), a.lnbPower);
    d.tone22k = entryOrNumber(offOn(), a.tone22k);
    d.switch12v = entryOrNumber(switch12v(), a.switch12v);
    if (a.motorMode < 3) {
        d.motor = entryOrNumber(motorModes(), a.motorMode);
        d.diseqc = entryOrNumber(diseqcPorts(), a.diseqcPort);
        return d;
    }
    d.combination = true;
    d.diseqc = "Combination";
    int motor = a.motorMode;
    if (a.motorMode >= 32) {
        d.order = combinationOrders()[1];
        motor = a.motorMode - 32;
    } else if (a.motorMode >= 16 && a.motorMode <= 18) {
        d.order = combinationOrders()[0];
        motor = a.motorMode - 16;
    }
    // Modes 3..15 and 19..31 name no order; the motor then shows the stored number.
    d.motor = entryOrNumber(motorModes(), motor);
    d.committed = entryOrNumber(committedSwitches(), a.diseqcPort / 16);
    d.uncommitted = entryOrNumber(uncommittedSwitches(), a.diseqcPort % 16);
    return d;
}

} // namespace tavrino
