#include "database/antenna_file.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "database/transponder_file.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrino {
namespace {
namespace an = layout::antenna;

struct PositionCase {
    std::int64_t tenths;
    const char* degrees;
    const char* eastWest;
};

TEST(Positions, ShowDegreesWithOneDecimalAndEastOrWest) {
    for (const auto& c :
         {PositionCase{-50, "5.0", "W"}, PositionCase{192, "19.2", "E"},
          PositionCase{0, "0.0", "E"}, PositionCase{-8, "0.8", "W"},
          PositionCase{1800, "180.0", "E"}, PositionCase{-2147483648LL, "214748364.8", "W"}}) {
        const PositionText text = formatPosition(c.tenths);
        EXPECT_EQ(text.degrees, c.degrees);
        EXPECT_EQ(text.eastWest, c.eastWest);
    }
}

struct AntennaCase {
    AntennaRecord record;
    AntennaDisplay expected;
};

TEST(AntennaDisplay, FollowsTheCombinationRule) {
    const std::vector<AntennaCase> cases = {
        {{.lnbType = 9, .diseqcPort = 0x25, .motorMode = 33},
         {"Off", "USER DEF.", "Off", "Off", "0V", "Combination", "DiSEqC 1.2", "Uncomm/Commit",
          "Switch C", "Switch 6", true}},
        {{.lnbType = 1, .diseqcPort = 4, .motorMode = 2},
         {"Off", "Universal", "Off", "Off", "0V", "1.0 - LNB 4", "USALS", "", "", "", false}},
        {{.lnbType = 18, .diseqcPort = 0x3F, .motorMode = 16},
         {"Off", "18", "Off", "Off", "0V", "Combination", "OFF", "Commit/Uncomm", "Switch D",
          "Switch 16", true}},
        {{.nitSearch = 1,
          .lnbType = 6,
          .lnbPower = 1,
          .tone22k = 1,
          .switch12v = 1,
          .diseqcPort = 32,
          .motorMode = 7},
         {"On", "DP-Twin 1", "On", "On", "12V", "Combination", "7", "", "Switch C", "Switch 1",
          true}},
    };
    for (const auto& c : cases) {
        const AntennaDisplay d = describeAntenna(c.record);
        EXPECT_EQ(d.nitSearch, c.expected.nitSearch);
        EXPECT_EQ(d.lnbType, c.expected.lnbType);
        EXPECT_EQ(d.power, c.expected.power);
        EXPECT_EQ(d.tone22k, c.expected.tone22k);
        EXPECT_EQ(d.switch12v, c.expected.switch12v);
        EXPECT_EQ(d.diseqc, c.expected.diseqc);
        EXPECT_EQ(d.motor, c.expected.motor);
        EXPECT_EQ(d.order, c.expected.order);
        EXPECT_EQ(d.committed, c.expected.committed);
        EXPECT_EQ(d.uncommitted, c.expected.uncommitted);
        EXPECT_EQ(d.combination, c.expected.combination);
    }
}

TEST(AntennaFile, LinesHaveAtLeastThreeDigits) {
    EXPECT_EQ(antennaLine(7), "007.");
    EXPECT_EQ(antennaLine(1234), "1234.");
}

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
}

TEST(AntennaFile, GeneratedOldLayoutConvertsToTheCurrentOne) {
    const auto current = sample::generate({.version = 9});
    const auto old = sample::generate({.version = 6});
    SatelliteImage image{old.antenna};
    convertAntennaLayout(image);
    Bytes expected = current.antenna;
    std::fill_n(expected.begin() + 32, 4, 0); // record 0's first bytes do not survive
    EXPECT_EQ(image.bytes, expected);
}

struct DamagedSatellites {
    const char* what;
    std::function<void(Bytes&)> damage;
    const char* message;
};

TEST(SatelliteFiles, DamagedFilesAreRefusedWithTheProblem) {
    const auto files = sample::generate({.satellites = 3});
    const std::vector<DamagedSatellites> antennaCases = {
        {"short header", [](Bytes& b) { b.resize(20); },
         "the header needs 32 bytes from offset 0, but the file ends at 20"},
        {"count above 256", [](Bytes& b) { test::put(b, 28, 2, 257); },
         "the satellite count at offset 28 is 257, more than 256"},
        {"records past the end", [](Bytes& b) { b.resize(32 + 36 * 2); },
         "the record of satellite 2 needs 36 bytes from offset 104, but the file ends at 104"},
    };
    for (const auto& c : antennaCases) {
        SatelliteImage image{files.antenna};
        c.damage(image.bytes);
        try {
            decodeSatelliteFile(image, "antenna_list.dat");
            ADD_FAILURE() << c.what;
        } catch (const FileProblem& e) {
            EXPECT_NE(e.detail().find(c.message), std::string::npos)
                << c.what << ": " << e.detail();
            EXPECT_EQ(e.oneLine(), "antenna_list.dat is damaged: " + e.detail() + ".");
        }
    }
    const std::vector<DamagedSatellites> dvbsCases = {
        {"short header", [](Bytes& b) { b.resize(100); },
         "the header needs 128 bytes from offset 0, but the file ends at 100"},
        {"count above 256", [](Bytes& b) { test::put(b, 0, 2, 300); },
         "the satellite count at offset 0 is 300, more than 256"},
        {"transponders past the end", [](Bytes& b) { b.resize(b.size() - 1); },
         "the transponder list of satellite 2 needs"},
        {"count beyond the records", [](Bytes& b) { test::put(b, 0, 2, 4); },
         "the record of satellite 3 needs 124 bytes from offset"},
    };
    for (const auto& c : dvbsCases) {
        TransponderImage image{files.dvbs};
        c.damage(image.bytes);
        try {
            decodeTransponderFile(image, "DVBS.dat");
            ADD_FAILURE() << c.what;
        } catch (const FileProblem& e) {
            EXPECT_NE(e.detail().find(c.message), std::string::npos)
                << c.what << ": " << e.detail();
            EXPECT_EQ(e.oneLine(), "DVBS.dat is damaged: " + e.detail() + ".");
        }
    }
}

// The generator writes what the receiver and the imports write: kHz and symbols per second, in
// DVBS.dat and in the services that stand on its transponders.
TEST(GeneratedFolder, FrequenciesAreKilohertzAndSymbolRatesSymbolsPerSecond) {
    test::TempDir folder;
    test::writeSample(folder.path(), {.services = 400, .satellites = 5});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    const auto& files = ws.files().satelliteFiles;
    std::vector<std::set<std::int32_t>> frequencies(files.satellites.size());
    for (std::size_t i = 0; i < files.satellites.size(); ++i) {
        for (const DvbsTransponder& tp : listTransponders(files.dvbs, static_cast<int>(i))) {
            EXPECT_GE(tp.frequency, 10'700'000);
            EXPECT_LE(tp.frequency, 12'750'000);
            EXPECT_GE(tp.symbolRate, 1'000'000);
            EXPECT_LE(tp.symbolRate, 45'000'000);
            frequencies[i].insert(tp.frequency);
        }
    }
    int cableOrTerrestrial = 0;
    for (std::size_t r = 0; r < ws.services().size(); ++r) {
        const DecodedService& s = ws.services().row(r).record;
        if (s.satIndex < frequencies.size()) {
            EXPECT_TRUE(frequencies[s.satIndex].contains(s.frequency)) << s.frequency;
        } else if (s.satIndex == 250 || s.satIndex == 251) {
            EXPECT_GE(s.frequency, 47'000) << "VHF and UHF in kHz";
            EXPECT_LE(s.frequency, 862'000);
            ++cableOrTerrestrial;
        }
    }
    EXPECT_GT(cableOrTerrestrial, 0);
}

TEST(TransponderFile, SatellitesFollowEachOtherBySize) {
    TransponderImage image{Bytes(128, 0)};
    test::put(image.bytes, 0, 2, 3);
    auto addSatellite = [&](int tps, int position) {
        const std::size_t p = image.bytes.size();
        image.bytes.resize(p + 124 + 36 * static_cast<std::size_t>(tps), 0);
        test::put(image.bytes, p + 76, 2, tps);
        test::put(image.bytes, p + 108, 4, position);
        for (int j = 0; j < tps; ++j) {
            const std::size_t t = p + 124 + 36 * static_cast<std::size_t>(j);
            test::put(image.bytes, t + 8, 4, 10000 + j);
            test::put(image.bytes, t + 12, 2, 0xFFFF);
            image.bytes[t + 24] = 9;
            image.bytes[t + 34] = 2;
        }
    };
    addSatellite(2, 192);
    addSatellite(0, -50);
    addSatellite(1, 0);
    const auto sats = decodeTransponderFile(image, "DVBS.dat");
    ASSERT_EQ(sats.size(), 3u);
    EXPECT_EQ(satelliteOffset(image, 1), 128u + 124 + 72);
    EXPECT_EQ(satelliteOffset(image, 2), 128u + 124 + 72 + 124); // no transponders: 124 bytes
    const auto tps = listTransponders(image, 0);
    ASSERT_EQ(tps.size(), 2u);
    EXPECT_EQ(tps[1].frequency, 10001);
    EXPECT_EQ(tps[0].nid, 65535);
    const TransponderDisplay d = describeTransponder(tps[0]);
    EXPECT_EQ(d.fec, "9/10");
    EXPECT_EQ(d.modulationType, "8PSK");
    EXPECT_TRUE(listTransponders(image, 1).empty());
    EXPECT_THROW(satelliteOffset(image, 3), std::out_of_range);
}

} // namespace
} // namespace tavrino

namespace tavrino {
namespace {

TEST(AntennaFile, ConversionOfTinyFilesStaysInside) {
    for (std::size_t size : {1u, 4u, 5u, 7u, 8u, 9u}) {
        SatelliteImage image{Bytes(size, 0xEE)};
        convertAntennaLayout(image);
        EXPECT_EQ(image.length(), 32804u) << size;
        EXPECT_EQ(image.bytes[16], 1);
    }
}

} // namespace
} // namespace tavrino
