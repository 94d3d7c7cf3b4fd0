#include "database/antenna_file.h"
#include "database/layout.h"
#include "database/transponder_file.h"
#include "opened.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrino {
namespace {
namespace an = layout::antenna;

// The antenna list's columns for a record, and whether it shows combination mode.
std::vector<std::string> shown(const AntennaDisplay& d) {
    const std::string mode = d.combination ? "combination" : "";
    return {d.nitSearch, d.lnbType, d.power,     d.tone22k,     d.switch12v, d.diseqc,
            d.motor,     d.order,   d.committed, d.uncommitted, mode};
}

TEST(AntennaDisplay, FollowsTheCombinationRule) {
    EXPECT_EQ(antennaLine(7), "007.");
    EXPECT_EQ(antennaLine(1234), "1234.");
    // A record: net index, NIT search, tuner, LNB type, LNB frequency, power, 22 kHz, 12 V,
    // DiSEqC port, motor mode.
    const std::vector<std::pair<AntennaRecord, std::vector<std::string>>> cases = {
        {{0, 0, 0, 9, 0, 0, 0, 0, 0x25, 33},
         {"Off", "USER DEF.", "Off", "Off", "0V", "Combination", "DiSEqC 1.2", "Uncomm/Commit",
          "Switch C", "Switch 6", "combination"}},
        {{0, 0, 0, 1, 0, 0, 0, 0, 4, 2},
         {"Off", "Universal", "Off", "Off", "0V", "1.0 - LNB 4", "USALS", "", "", "", ""}},
        {{0, 1, 0, 6, 0, 1, 1, 1, 32, 7},
         {"On", "DP-Twin 1", "On", "On", "12V", "Combination", "7", "", "Switch C", "Switch 1",
          "combination"}}};
    for (const auto& [record, expected] : cases) {
        EXPECT_EQ(shown(describeAntenna(record)), expected);
    }
}

// The old layout gains the new header bytes; the generator's old files convert to its new ones,
// and a file too short for the old header stays within its image.
TEST(AntennaFile, ConversionInsertsTheNewHeaderBytes) {
    SatelliteImage image;
    for (int i = 0; i < 1000; ++i) {
        image.bytes.push_back(static_cast<std::uint8_t>(i % 251 + 1));
    }
    const Bytes old = image.bytes;
    convertAntennaLayout(image);
    Bytes expected(an::convertedSize, 0);
    std::copy_n(old.begin(), 4, expected.begin());
    std::copy_n(old.begin() + 4, 4, expected.begin() + 28); // the old bytes 4..7 move to 28..31
    std::copy(old.begin() + 8, old.end(), expected.begin() + 36);
    for (const std::size_t one : {16, 20, 24, 30}) {
        expected[one] = 1;
    }
    EXPECT_EQ(image.bytes, expected);

    SatelliteImage generated{sample::generate({.version = 6}).antenna};
    convertAntennaLayout(generated);
    expected = sample::generate({.version = 9}).antenna;
    std::fill_n(expected.begin() + 32, 4, 0); // record 0's first bytes do not survive
    EXPECT_EQ(generated.bytes, expected);

    for (std::size_t size : {1u, 4u, 5u, 7u, 8u, 9u}) {
        SatelliteImage tiny{Bytes(size, 0xEE)};
        convertAntennaLayout(tiny);
        EXPECT_EQ(tiny.length(), 32804u) << size;
        EXPECT_EQ(tiny.bytes[16], 1);
    }
}

// The generator writes what the receiver and the imports write: kHz and symbols per second, in
// DVBS.dat and in the services that stand on its transponders.
TEST(GeneratedFolder, FrequenciesAreKilohertzAndSymbolRatesSymbolsPerSecond) {
    const test::Opened opened(sample::generate({.services = 400, .satellites = 5}));
    const Workspace& ws = opened.ws;
    const auto& files = ws.files().satelliteFiles;
    std::vector<std::set<std::int32_t>> frequencies(files.satellites.size());
    for (std::size_t i = 0; i < files.satellites.size(); ++i) {
        for (const DvbsTransponder& tp : listTransponders(files.dvbs, static_cast<int>(i))) {
            EXPECT_TRUE(tp.frequency >= 10'700'000 && tp.frequency <= 12'750'000) << tp.frequency;
            EXPECT_TRUE(tp.symbolRate >= 1'000'000 && tp.symbolRate <= 45'000'000);
            frequencies[i].insert(tp.frequency);
        }
    }
    int cableOrTerrestrial = 0;
    for (const ServiceRow& row : ws.services().rows()) {
        const DecodedService& s = row.record;
        if (s.satIndex < frequencies.size()) {
            EXPECT_TRUE(frequencies[s.satIndex].contains(s.frequency)) << s.frequency;
        } else if (s.satIndex == 250 || s.satIndex == 251) {
            EXPECT_TRUE(s.frequency >= 47'000 && s.frequency <= 862'000) << "VHF and UHF in kHz";
            ++cableOrTerrestrial;
        }
    }
    EXPECT_GT(cableOrTerrestrial, 0);
}

// Satellites of 2, 0 and 1 transponders, each after the one before it.
TEST(TransponderFile, SatellitesFollowEachOtherBySize) {
    TransponderImage image{Bytes(128, 0)};
    test::put(image.bytes, 0, 2, 3);
    for (const int tps : {2, 0, 1}) {
        const std::size_t p = image.bytes.size();
        image.bytes.resize(p + 124 + 36 * static_cast<std::size_t>(tps), 0);
        test::put(image.bytes, p + 76, 2, tps);
        for (int j = 0; j < tps; ++j) {
            const std::size_t t = p + 124 + 36 * static_cast<std::size_t>(j);
            test::put(image.bytes, t + 8, 4, 10000 + j);
            test::put(image.bytes, t + 12, 2, 0xFFFF);
        }
    }
    ASSERT_EQ(decodeTransponderFile(image, "DVBS.dat").size(), 3u);
    EXPECT_EQ((std::vector{satelliteOffset(image, 1), satelliteOffset(image, 2)}),
              (std::vector<std::size_t>{128 + 124 + 72, 128 + 124 + 72 + 124}));
    const auto tps = listTransponders(image, 0);
    ASSERT_EQ(tps.size(), 2u);
    EXPECT_EQ(tps[1].frequency, 10001);
    EXPECT_EQ(tps[0].nid, 65535) << "unsigned";
    EXPECT_TRUE(listTransponders(image, 1).empty());
    EXPECT_THROW(satelliteOffset(image, 3), std::out_of_range);
}

} // namespace
} // namespace tavrino
