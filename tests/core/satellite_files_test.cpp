#include "database/antenna_file.h"
#include "database/layout.h"
#include "database/transponder_file.h"
#include "opened.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrino {
namespace {
namespace an = layout::antenna;

TEST(AntennaDisplay, FollowsTheCombinationRule) {
    EXPECT_EQ(antennaLine(7), "007.");
    EXPECT_EQ(antennaLine(1234), "1234.");
    struct Case {
        AntennaRecord record;
        AntennaDisplay expected;
    };
    for (const Case& c : std::vector<Case>{
             {{.lnbType = 9, .diseqcPort = 0x25, .motorMode = 33},
              {"Off", "USER DEF.", "Off", "Off", "0V", "Combination", "DiSEqC 1.2", "Uncomm/Commit",
               "Switch C", "Switch 6", true}},
             {{.lnbType = 1, .diseqcPort = 4, .motorMode = 2},
              {"Off", "Universal", "Off", "Off", "0V", "1.0 - LNB 4", "USALS", "", "", "", false}},
             {{.nitSearch = 1,
             .lnbType = 6,
             .lnbPower = 1,
             .tone22k = 1,
             .switch12v = 1,
             .diseqcPort = 32,
             .motorMode = 7},
              {"On", "DP-Twin 1", "On", "On", "12V", "Combination", "7", "", "Switch C", "Switch 1",
               true}},
         }) {
        const AntennaDisplay d = describeAntenna(c.record);
        const AntennaDisplay& e = c.expected;
        EXPECT_EQ(
            (std::vector<std::string>{d.nitSearch, d.lnbType, d.power, d.tone22k, d.switch12v,
                                      d.diseqc, d.motor, d.order, d.committed, d.uncommitted}),
            (std::vector<std::string>{e.nitSearch, e.lnbType, e.power, e.tone22k, e.switch12v,
                                      e.diseqc, e.motor, e.order, e.committed, e.uncommitted}));
        EXPECT_EQ(d.combination, e.combination);
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
    ASSERT_EQ(image.length(), an::convertedSize);
    for (std::size_t i = 4; i < 36; ++i) {
        const bool one = i == 16 || i == 20 || i == 24 || i == 30;
        if (i >= 28 && i < 32 && i != 30) {
            EXPECT_EQ(image.bytes[i], old[i - 24]) << i; // the old bytes 4..7 move to 28..31
        } else {
            EXPECT_EQ(image.bytes[i], one ? 1 : 0) << i;
        }
    }
    EXPECT_EQ(image.bytes[0], old[0]);
    EXPECT_EQ(image.bytes[36], old[8]);
    EXPECT_EQ(image.bytes[1027], old[999]);
    EXPECT_EQ(image.bytes[1028], 0);

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

TEST(SatelliteFiles, DamagedFilesAreRefusedWithTheProblem) {
    const auto files = sample::generate({.satellites = 3});
    struct Case {
        const char* file;
        std::function<void(Bytes&)> damage;
        const char* message;
    };
    for (const Case& c : std::vector<Case>{
             {"antenna_list.dat", [](Bytes& b) { b.resize(20); },
              "the header needs 32 bytes from offset 0, but the file ends at 20"},
             {"antenna_list.dat", [](Bytes& b) { test::put(b, 28, 2, 257); },
              "the satellite count at offset 28 is 257, more than 256"},
             {"antenna_list.dat", [](Bytes& b) { b.resize(32 + 36 * 2); },
              "the record of satellite 2 needs 36 bytes from offset 104, but the file ends at 104"},
             {"DVBS.dat", [](Bytes& b) { b.resize(100); },
              "the header needs 128 bytes from offset 0, but the file ends at 100"},
             {"DVBS.dat", [](Bytes& b) { test::put(b, 0, 2, 300); },
              "the satellite count at offset 0 is 300, more than 256"},
             {"DVBS.dat", [](Bytes& b) { b.resize(b.size() - 1); },
              "the transponder list of satellite 2 needs"},
             {"DVBS.dat", [](Bytes& b) { test::put(b, 0, 2, 4); },
              "the record of satellite 3 needs 124 bytes from offset"},
         }) {
        const bool antenna = std::string(c.file) == "antenna_list.dat";
        Bytes bytes = antenna ? files.antenna : files.dvbs;
        c.damage(bytes);
        const auto problem = test::problemOf([&] {
            if (antenna) {
                (void)decodeSatelliteFile(SatelliteImage{bytes}, c.file);
            } else {
                (void)decodeTransponderFile(TransponderImage{bytes}, c.file);
            }
        });
        ASSERT_TRUE(problem) << c.message;
        EXPECT_NE(problem->detail().find(c.message), std::string::npos) << problem->detail();
        EXPECT_EQ(problem->oneLine(),
                  std::string(c.file) + " is damaged: " + problem->detail() + ".");
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

TEST(TransponderFile, SatellitesFollowEachOtherBySize) {
    TransponderImage image{Bytes(128, 0)};
    test::put(image.bytes, 0, 2, 3);
    auto addSatellite = [&](int tps) {
        const std::size_t p = image.bytes.size();
        image.bytes.resize(p + 124 + 36 * static_cast<std::size_t>(tps), 0);
        test::put(image.bytes, p + 76, 2, tps);
        for (int j = 0; j < tps; ++j) {
            const std::size_t t = p + 124 + 36 * static_cast<std::size_t>(j);
            test::put(image.bytes, t + 8, 4, 10000 + j);
            test::put(image.bytes, t + 12, 2, 0xFFFF);
        }
    };
    addSatellite(2);
    addSatellite(0);
    addSatellite(1);
    ASSERT_EQ(decodeTransponderFile(image, "DVBS.dat").size(), 3u);
    EXPECT_EQ(satelliteOffset(image, 1), 128u + 124 + 72);
    EXPECT_EQ(satelliteOffset(image, 2), 128u + 124 + 72 + 124); // no transponders: 124 bytes
    const auto tps = listTransponders(image, 0);
    ASSERT_EQ(tps.size(), 2u);
    EXPECT_EQ(tps[1].frequency, 10001);
    EXPECT_EQ(tps[0].nid, 65535) << "unsigned";
    EXPECT_TRUE(listTransponders(image, 1).empty());
    EXPECT_THROW(satelliteOffset(image, 3), std::out_of_range);
}

} // namespace
} // namespace tavrino
