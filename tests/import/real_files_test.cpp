#include "database/transponder_file.h"
#include "import/kingofsat.h"
#include "import/satellite_import.h"
#include "import/satellites_xml.h"
#include "shared_data.h"
#include "test_support.h"

#include <gtest/gtest.h>

// The public lists in shared/data beside the checkout, read as they are.
namespace tavrino {
namespace {
namespace fs = std::filesystem;

using test::sharedData;

ImportedList readAny(const std::string& file) {
    const fs::path path = sharedData / file;
    if (path.extension() == ".xml") {
        return readSatellitesXml(path);
    }
    ImportedList list = readTransponderLists({path});
    EXPECT_TRUE(list.failures.empty());
    return list;
}

struct Sample {
    std::size_t satellite;
    std::string name; // UTF-8
    std::int32_t position;
    std::size_t transponders;
    std::size_t index; // of the transponder below
    ImportedTransponder transponder;
};

struct RealFile {
    const char* file;
    std::size_t satellites;
    std::size_t transponders;
    std::vector<Sample> samples;
    std::vector<std::string> notes; // each after the file's path and ": "
};

// Values read from the files by hand.
const std::vector<RealFile>& realFiles() {
    static const std::vector<RealFile> files = {
        {"satellites-xml/openpli-2026.xml",
         208,
         3368,
         {{0, "177.0W C-band NSS 9", -1771, 2, 0, {4152000, 2127000, 0, 1, 1, 1, 0, 0}},
          {1, "139.0W C-band SES 22", -1391, 1, 0, {4056000, 13250000, 3, 0, 0, 1, 0, 0}},
          {11, "119.0W Anik F3 & T8 & EchoStar 14", -1190, 60, 0, {}},
          {106, "31.0E Türksat 5A", 310, 1, 0, {10992000, 2220000, 3, 1, 0, 1, 0, 0}},
          {124, "52.0E TurkmenÄlem/MonacoSat", 520, 19, 0, {}},
          {207, "180.0E C-band Intelsat 18", 1801, 4, 3, {4095000, 30000000, 3, 1, 1, 1, 0, 0}}},
         {}},
        {"satellites-xml/dmm-2016.xml",
         52,
         1916,
         {{0, "Express 3A (11.0W)", -110, 20, 0, {11459500, 2848000, 2, 1, 0, 1, 0, 0}},
          {0, "Express 3A (11.0W)", -110, 20, 19, {3675000, 29623000, 4, 1, 0, 1, 0, 0}},
          {1, "Atlantic Bird 1 (12.5W)", -125, 80, 23, {11136000, 3700000, 4, 1, 0, 1, 0, 1}},
          {51, "Eurobird 9 (9.0E)", 90, 20, 19, {12092000, 27500000, 3, 0, 0, 1, 156, 6900}}},
         {}},
        {"transponder-ini/kingofsat-2015-0420.ini",
         1,
         175,
         {{0, "42E", 420, 175, 0, {10962000, 16666000, 3, 0, 0, 1, 0, 0}},
          {0, "42E", 420, 175, 1, {10970000, 30000000, 4, 1, 1, 2, 0, 0}},
          {0, "42E", 420, 175, 120, {10953000, 2400000, 0, 1, 0, 1, 0, 0}},
          {0, "42E", 420, 175, 174, {12747000, 2142000, 0, 1, 0, 1, 0, 0}}},
         {}},
        {"transponder-ini/mixesoft-2018-2590.ini",
         1,
         20,
         {{0, "SES 1, DirecTV 4S,8", -1010, 20, 0, {3716000, 4775000, 7, 1, 1, 2, 0, 0}},
          {0, "SES 1, DirecTV 4S,8", -1010, 20, 1, {3725000, 10000000, 4, 1, 0, 1, 0, 0}},
          {0, "SES 1, DirecTV 4S,8", -1010, 20, 19, {12172000, 15000000, 3, 0, 0, 1, 0, 0}}},
         {"2 transponders of the DCII system left out (not DVB-S or DVB-S2)",
          "32 transponders of the DSS system left out (not DVB-S or DVB-S2)"}},
    };
    return files;
}

std::size_t transpondersOf(const ImportedList& list) {
    std::size_t n = 0;
    for (const auto& s : list.satellites) {
        n += s.transponders.size();
    }
    return n;
}

TEST(RealFiles, ReadAsTheFilesSay) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    for (const RealFile& f : realFiles()) {
        SCOPED_TRACE(f.file);
        const ImportedList list = readAny(f.file);
        ASSERT_EQ(list.satellites.size(), f.satellites);
        EXPECT_EQ(transpondersOf(list), f.transponders);
        for (const Sample& s : f.samples) {
            const ImportedSatellite& sat = list.satellites.at(s.satellite);
            EXPECT_EQ(sat.name, s.name);
            EXPECT_EQ(sat.position, s.position) << s.name;
            ASSERT_EQ(sat.transponders.size(), s.transponders) << s.name;
            if (s.transponder.frequency != 0) {
                EXPECT_EQ(sat.transponders.at(s.index), s.transponder) << s.name << " " << s.index;
            }
        }
        std::vector<std::string> notes;
        for (const std::string& note : f.notes) {
            notes.push_back((sharedData / f.file).string() + ": " + note);
        }
        EXPECT_EQ(list.notes, notes);
        for (const ImportedSatellite& sat : list.satellites) {
            EXPECT_EQ(sat.name.find('"'), std::string::npos) << "no quotes in " << sat.name;
            EXPECT_EQ(sat.name.find("&amp;"), std::string::npos) << sat.name;
        }
    }
}

// Import, save, open again: the lists read back as imported, the antenna file has a record
// per satellite, and all_channel.dat of version 9 and later is not touched.
TEST(RealFiles, ImportSaveAndOpenGiveTheSameLists) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    for (const int version : {6, 10}) {
        for (const RealFile& f : realFiles()) {
            SCOPED_TRACE(std::string(f.file) + " version " + std::to_string(version));
            test::TempDir in;
            test::TempDir out;
            test::writeSample(in.path(), {.services = 300, .satellites = 4, .version = version});
            Workspace ws;
            ASSERT_TRUE(ws.openFolder(in.path()).opened());
            const ImportedList list = readAny(f.file);
            ImportChoice choice = defaultChoice(list);
            choice.keepAntenna = false;
            ASSERT_TRUE(applyImport(ws, list, choice).written);
            ASSERT_TRUE(ws.save(out.path()).ok());

            Workspace back;
            ASSERT_TRUE(back.openFolder(out.path()).opened());
            const SatelliteFiles& files = back.files().satelliteFiles;
            ASSERT_EQ(files.satellites.size(), list.satellites.size());
            ASSERT_EQ(files.antennaSettings.satelliteCount, static_cast<int>(f.satellites));
            EXPECT_EQ(files.antenna.length(), layout::antenna::convertedSize);
            for (std::size_t i = 0; i < list.satellites.size(); ++i) {
                const ImportedSatellite& sat = list.satellites[i];
                EXPECT_EQ(files.satellites[i].name, storedName(sat.name, back.codePage()).bytes);
                EXPECT_EQ(files.satellites[i].orbitalPosition, sat.position);
                const auto tps = listTransponders(files.dvbs, static_cast<int>(i));
                ASSERT_EQ(tps.size(), sat.transponders.size());
                for (std::size_t j = 0; j < tps.size(); ++j) {
                    const ImportedTransponder& t = sat.transponders[j];
                    ASSERT_EQ(
                        ImportedTransponder({tps[j].frequency, tps[j].symbolRate,
                                             static_cast<std::uint8_t>(tps[j].fec),
                                             static_cast<std::uint8_t>(tps[j].polarization),
                                             static_cast<std::uint8_t>(tps[j].modulationSystem),
                                             static_cast<std::uint8_t>(tps[j].modulationType),
                                             static_cast<std::uint16_t>(tps[j].nid),
                                             static_cast<std::uint16_t>(tps[j].tid)}),
                        t);
                    ASSERT_EQ(tps[j].orbitalPosition, sat.position);
                }
                EXPECT_EQ(files.antennaSettings.records[i].netIndex, static_cast<int>(i));
            }
            if (version >= 9) {
                EXPECT_EQ(test::readFile(out / "all_channel.dat"),
                          test::readFile(in / "all_channel.dat"));
            }
        }
    }
}

} // namespace
} // namespace tavrino
