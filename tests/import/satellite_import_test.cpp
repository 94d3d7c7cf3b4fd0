#include "database/layout.h"
#include "database/transponder_file.h"
#include "import/satellite_import.h"
#include "opened.h"
#include "satellites/satellite_editor.h"

#include <gtest/gtest.h>
#include <tuple>

namespace tavrino {
namespace {
namespace an = layout::antenna;
namespace dv = layout::dvbs;
using test::get;

ImportedTransponder tp(std::int32_t frequency, int pol = 0, std::int32_t symbolRate = 27500000) {
    return {frequency, symbolRate, 3, static_cast<std::uint8_t>(pol), 1, 2, 7, 9};
}

ImportedSatellite sat(std::string name, std::int32_t position,
                      std::vector<ImportedTransponder> tps = {}) {
    return {std::move(name), position, std::move(tps)};
}

// Satellite i of the open files in the import's terms, its name in UTF-8.
ImportedSatellite satelliteIn(const Workspace& ws, std::size_t i) {
    const SatelliteFiles& files = ws.files().satelliteFiles;
    const DvbsSatellite& s = files.satellites.at(i);
    ImportedSatellite out{ws.codePage().toUtf8(s.name), s.orbitalPosition, {}};
    const auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
    const auto word = [](int v) { return static_cast<std::uint16_t>(v); };
    for (const DvbsTransponder& t : listTransponders(files.dvbs, static_cast<int>(i))) {
        out.transponders.push_back({t.frequency, t.symbolRate, byte(t.fec), byte(t.polarization),
                                    byte(t.modulationSystem), byte(t.modulationType), word(t.nid),
                                    word(t.tid)});
    }
    return out;
}

const Bytes& dvbsOf(const Workspace& ws) {
    return ws.files().satelliteFiles.dvbs.bytes;
}
const Bytes& antennaOf(const Workspace& ws) {
    return ws.files().satelliteFiles.antenna.bytes;
}
Bytes antennaRecord(const Workspace& ws, std::size_t i) {
    const auto at =
        antennaOf(ws).begin() + static_cast<std::ptrdiff_t>(an::headerSize + an::recordSize * i);
    return {at, at + an::recordSize};
}

TEST(ImportImages, HoldTheRecordsOfBothFilesInTheCurrentLayout) {
    Workspace ws; // nothing open: the import makes both files
    ImportedList list;
    list.satellites = {sat("Astra 19.2E", 192, {tp(11778000, 1), tp(12188000)}),
                       sat("Atlantic Bird 3", -50)};
    ASSERT_TRUE(applyImport(ws, list, defaultChoice(list)).written);
    const Bytes& d = dvbsOf(ws);
    ASSERT_EQ(d.size(), dv::headerSize + 2 * dv::satelliteSize + 2 * dv::transponderSize);
    EXPECT_EQ(get(d, 0, 2), 2);
    const std::size_t s0 = dv::headerSize;
    EXPECT_EQ(Bytes(d.begin() + s0, d.begin() + s0 + 8), Bytes(8, 0x11));
    EXPECT_EQ(d[s0 + 8], 0);
    EXPECT_EQ(std::string(d.begin() + s0 + 9, d.begin() + s0 + 20), "Astra 19.2E");
    EXPECT_EQ(Bytes(d.begin() + s0 + 20, d.begin() + s0 + 76), Bytes(56, 0));
    EXPECT_EQ(get(d, s0 + 76, 2), 2);
    EXPECT_EQ(get(d, s0 + 108, 4), 192);
    EXPECT_EQ(get(d, s0 + 116, 4), 192);
    // The entries' fixed bytes are the editors' builder's, pinned with the transponder editor.
    EXPECT_EQ(satelliteIn(ws, 0).transponders, list.satellites[0].transponders);
    EXPECT_EQ(listTransponders(ws.files().satelliteFiles.dvbs, 0)[1].orbitalPosition, 192);
    const std::size_t s1 = s0 + dv::satelliteSize + 2 * dv::transponderSize;
    EXPECT_EQ(d[s1 + 8], 1);
    EXPECT_EQ(get(d, s1 + 76, 2), 0);
    EXPECT_EQ(get(d, s1 + 108, 4), -50) << "5.0W";
    EXPECT_EQ(d[s1 + 111], 0xFF) << "two's complement";

    const Bytes& a = antennaOf(ws);
    ASSERT_EQ(a.size(), an::convertedSize);
    EXPECT_EQ(get(a, an::satelliteCount, 2), 2);
    for (const std::size_t mark : {16, 20, 24, 30}) {
        EXPECT_EQ(a[mark], 1) << mark;
    }
    for (std::size_t n = 0; n < 2; ++n) {
        Bytes record(an::recordSize, 0);
        record[0] = static_cast<std::uint8_t>(n);
        record[8] = record[12] = record[16] = record[28] = 1;
        record[24] = 186;
        record[25] = 4;
        EXPECT_EQ(antennaRecord(ws, n), record) << n;
    }
}

class ImportIntoSample : public testing::Test {
protected:
    std::size_t servicesOf(int satIndex) const {
        const auto& rows = ws.services().rows();
        return std::count_if(rows.begin(), rows.end(), [&](const ServiceRow& row) {
            return row.record.satIndex == satIndex;
        });
    }

    test::Opened opened{sample::generate({.services = 400, .satellites = 5})};
    Workspace& ws = opened.ws;
    const test::TempDir& folder = opened.folder;
};

TEST_F(ImportIntoSample, PreviewSaysWhatIsAddedKeptAndRemoved) {
    ImportedList list;
    ImportedSatellite first = satelliteIn(ws, 0);
    ASSERT_GE(first.transponders.size(), 2u);
    first.transponders[0].symbolRate += 1000;                 // changed
    first.transponders.erase(first.transponders.begin() + 1); // removed
    first.transponders.push_back(tp(12999000, 1));            // added
    list.satellites = {first, sat("New", 1234, {tp(11000000)}), satelliteIn(ws, 2),
                       satelliteIn(ws, 3)};
    list.notes = {"from reading"};
    ImportChoice choice = defaultChoice(list);
    choice.chosen[3] = false;

    const ImportPreview p = previewImport(ws, list, choice);
    EXPECT_FALSE(p.refusal);
    // fate, number, replaces, transponders added, removed, changed, services, keeps antenna
    using Row = std::tuple<ImportFate, std::optional<int>, std::optional<int>, std::size_t,
                           std::size_t, std::size_t, std::size_t, bool>;
    std::vector<Row> rows;
    for (const PreviewSatellite& s : p.satellites) {
        rows.emplace_back(s.fate, s.number, s.replaces, s.transpondersAdded, s.transpondersRemoved,
                          s.transpondersChanged, s.services, s.keepsAntenna);
    }
    EXPECT_EQ(rows, (std::vector<Row>{
                        {ImportFate::Kept, 0, 0, 1, 1, 1, servicesOf(0), true},
                        {ImportFate::Added, 1, std::nullopt, 1, 0, 0, 0, false},
                        {ImportFate::Kept, 2, 2, 0, 0, 0, servicesOf(2), true},
                        {ImportFate::LeftOut, std::nullopt, std::nullopt, 0, 0, 0, 0, false},
                    }));
    std::vector<int> removed;
    for (const PreviewRemoved& r : p.removed) {
        removed.push_back(r.number);
        EXPECT_EQ(r.services, servicesOf(r.number));
    }
    EXPECT_EQ(removed, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(std::tuple(p.chosen, p.added, p.kept), std::tuple(3u, 1u, 2u))
        << "chosen, added, kept";
    // Numbers 0 and 2 keep their satellites; 1 names the new one and 3 and 4 none.
    EXPECT_EQ(p.servicesRenumbered, servicesOf(1) + servicesOf(3) + servicesOf(4));
    EXPECT_EQ(p.notes, std::vector<std::string>{"from reading"});
}

TEST_F(ImportIntoSample, KeepsAntennaSettingsOfSatellitesAtTheSamePositionOrNot) {
    // Longitude and latitude lead the header.
    const auto place = [&] { return Bytes(antennaOf(ws).begin(), antennaOf(ws).begin() + 28); };
    const Bytes header = place();
    const Bytes record1 = antennaRecord(ws, 1);
    const Bytes record3 = antennaRecord(ws, 3);
    ImportedList list;
    ImportedSatellite renamed = satelliteIn(ws, 1);
    renamed.name = "Other name, same dish";
    list.satellites = {satelliteIn(ws, 3), sat("New", 1234), renamed};
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
        ImportChoice choice = defaultChoice(list);
        choice.keepAntenna = keep;
        ASSERT_TRUE(applyImport(ws, list, choice).written);
        const auto& settings = ws.files().satelliteFiles.antennaSettings;
        EXPECT_EQ(settings.satelliteCount, 3);
        EXPECT_EQ(antennaRecord(ws, 0) == record3, keep);
        EXPECT_EQ(antennaRecord(ws, 2) == record1, keep);
        EXPECT_EQ(settings.records[1].lnbType, 1) << "a new position gets the default record";
        EXPECT_EQ(settings.records[1].netIndex, 1);
        EXPECT_EQ(place() == header, keep) << "longitude and latitude";
        if (!keep) {
            EXPECT_EQ(settings.records[2].netIndex, 2);
            EXPECT_EQ(settings.longitude, 0);
        }
    }
}

TEST_F(ImportIntoSample, UntickedStayOutAndTheLimitOf256IsKeptAndFilled) {
    ImportedList list;
    list.satellites = {sat("A", 10), sat("B", 20), sat("C", 30)};
    ImportChoice choice = defaultChoice(list);
    choice.chosen[1] = false;
    const Bytes channel = ws.channelBytes();
    ASSERT_TRUE(applyImport(ws, list, choice).written);
    EXPECT_EQ(satelliteLines(ws), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(ws.channelBytes(), channel) << "services keep their satellite numbers";

    ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    const Bytes dvbs = dvbsOf(ws);
    const Bytes antenna = antennaOf(ws);
    ImportedList big;
    for (int i = 0; i < 300; ++i) {
        big.satellites.push_back(sat("S" + std::to_string(i), i));
    }
    ImportChoice all = defaultChoice(big);
    EXPECT_EQ(std::count(all.chosen.begin(), all.chosen.end(), true), 256);
    EXPECT_EQ(previewImport(ws, big, all).notes,
              std::vector<std::string>{"The list holds 300 satellites and the receiver 256 at "
                                       "most; not imported: S256 (25.6E), S257 (25.7E), S258 "
                                       "(25.8E), S259 (25.9E), S260 (26.0E), S261 (26.1E), S262 "
                                       "(26.2E), S263 (26.3E), S264 (26.4E), S265 (26.5E) and 34 "
                                       "more"});
    all.chosen.assign(300, true);
    ImportChoice none = defaultChoice(big);
    none.chosen.assign(300, false);
    for (const auto& [choice2, message] :
         {std::pair{all, "MAX Satellites (256) !!!"},
          std::pair{none, "Tick at least one satellite to import !!!"}}) {
        EXPECT_EQ(previewImport(ws, big, choice2).refusal->text, message);
        const ImportResult result = applyImport(ws, big, choice2);
        EXPECT_FALSE(result.written);
        EXPECT_EQ(result.refusal->text, message);
        EXPECT_EQ(dvbsOf(ws), dvbs);
        EXPECT_EQ(antennaOf(ws), antenna);
        EXPECT_FALSE(ws.history().canUndo());
    }
    // The 256 a default choice takes, the last with 300 transponders: counts fill both bytes.
    for (int i = 0; i < 300; ++i) {
        big.satellites[255].transponders.push_back(tp(10700000 + i * 1000));
    }
    Workspace fresh;
    ASSERT_TRUE(applyImport(fresh, big, defaultChoice(big)).written);
    EXPECT_EQ((std::tuple{get(dvbsOf(fresh), 0, 2), get(antennaOf(fresh), an::satelliteCount, 2),
                          fresh.files().satelliteFiles.satellites.at(255).tpCount}),
              (std::tuple{256, 256, 300}));
}

TEST(ImportNames, AreStoredInTheCodePageAndCutToTheField) {
    const std::string long70(70, 'x');
    // Code page, name; the bytes stored, whether characters were replaced, whether it was cut.
    const std::tuple<const char*, std::string, std::string, bool, bool> cases[] = {
        {"CP1252", "Türksat € ©", "T\xFCrksat \x80 \xA9", false, false},
        {"CP1252", "Ямал 401", "???? 401", true, false},
        {"CP1251", "Ямал 401", "\xDF\xEC\xE0\xEB 401", false, false},
        {"CP1252", long70, std::string(64, 'x'), false, true},
        {"CP1252", "日本" + std::string(70, 'y'), "??" + std::string(62, 'y'), true, true},
    };
    for (const auto& [codePage, utf8, bytes, replaced, cut] : cases) {
        const StoredName name = storedName(utf8, *CodePage::byName(codePage));
        EXPECT_EQ(std::tie(name.bytes, name.replaced, name.cut), std::tie(bytes, replaced, cut))
            << utf8;
    }
    Workspace ws;
    ImportedList list;
    list.satellites = {sat("Ямал 401", 900), sat("Astra", 192), sat(long70, 100)};
    const ImportPreview p = previewImport(ws, list, defaultChoice(list));
    EXPECT_EQ(p.satellites[0].name, "???? 401");
    EXPECT_EQ(p.notes,
              (std::vector<std::string>{
                  "Characters CP1252 cannot store became \"?\" in 1 name: ???? 401",
                  "1 name cut to the 64 bytes of the name field: " + std::string(64, 'x')}));
}

} // namespace
} // namespace tavrino
