#include "database/antenna_file.h"
#include "database/transponder_file.h"
#include "opened.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrino {
namespace {

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

// The generator's old files convert to its new ones, and a file too short for the old header
// stays within its image.
TEST(AntennaFile, ConversionInsertsTheNewHeaderBytes) {
    SatelliteImage generated{sample::generate({.version = 6}).antenna};
    convertAntennaLayout(generated);
    Bytes expected = sample::generate({.version = 9}).antenna;
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

} // namespace
} // namespace tavrino
