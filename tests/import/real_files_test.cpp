#include "import/kingofsat.h"
#include "import/satellites_xml.h"
#include "shared_data.h"

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

// A transponder read from a file by hand.
struct Sample {
    std::size_t satellite;
    std::string name; // UTF-8
    std::int32_t position;
    std::size_t index;
    ImportedTransponder transponder;
};

struct RealFile {
    const char* file;
    std::size_t satellites;
    std::size_t transponders;
    std::vector<Sample> samples;
    std::vector<std::string> notes = {}; // each after the file's path and ": "
};

TEST(RealFiles, ReadAsTheFilesSay) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const RealFile files[] = {
        {"satellites-xml/openpli-2026.xml",
         208,
         3368,
         {{106, "31.0E Türksat 5A", 310, 0, {10992000, 2220000, 3, 1, 0, 1, 0, 0}},
          {207, "180.0E C-band Intelsat 18", 1801, 3, {4095000, 30000000, 3, 1, 1, 1, 0, 0}}}},
        {"transponder-ini/kingofsat-2015-0420.ini",
         1,
         175,
         {{0, "42E", 420, 1, {10970000, 30000000, 4, 1, 1, 2, 0, 0}}}},
        {"transponder-ini/mixesoft-2018-2590.ini",
         1,
         20,
         {{0, "SES 1, DirecTV 4S,8", -1010, 0, {3716000, 4775000, 7, 1, 1, 2, 0, 0}}},
         {"2 transponders of the DCII system left out (not DVB-S or DVB-S2)",
          "32 transponders of the DSS system left out (not DVB-S or DVB-S2)"}},
    };
    for (const RealFile& f : files) {
        SCOPED_TRACE(f.file);
        const ImportedList list = readAny(f.file);
        ASSERT_EQ(list.satellites.size(), f.satellites);
        std::size_t transponders = 0;
        for (const ImportedSatellite& sat : list.satellites) {
            transponders += sat.transponders.size();
            EXPECT_EQ(sat.name.find('"'), std::string::npos) << sat.name;
            EXPECT_EQ(sat.name.find("&amp;"), std::string::npos) << sat.name;
        }
        EXPECT_EQ(transponders, f.transponders);
        for (const Sample& s : f.samples) {
            const ImportedSatellite& sat = list.satellites.at(s.satellite);
            EXPECT_EQ(sat.name, s.name);
            EXPECT_EQ(sat.position, s.position) << s.name;
            EXPECT_EQ(sat.transponders.at(s.index), s.transponder) << s.name << " " << s.index;
        }
        std::vector<std::string> notes;
        for (const std::string& note : f.notes) {
            notes.push_back((sharedData / f.file).string() + ": " + note);
        }
        EXPECT_EQ(list.notes, notes);
    }
}

} // namespace
} // namespace tavrino
