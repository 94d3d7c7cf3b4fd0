#include "bouquet_contents.h"
#include "bouquets/bouquet_editor.h"
#include "database/layout.h"
#include "opened.h"
#include "recording_prompter.h"
#include "services/flag_edit.h"
#include "test_support.h"
#include "workspace/service_edit.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
namespace sv = layout::channel::service;
using test::TempDir;

class ServiceEditTest : public testing::TestWithParam<int> {
public:
    void SetUp() override { open({.services = 400, .satellites = 5, .version = GetParam()}); }

    void open(sample::Options options, const std::function<void(Bytes&)>& patch = {}) {
        auto files = sample::generate(options);
        if (patch) {
            patch(files.channel);
        }
        sample::writeFolder(files, folder.path());
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    }

    // The first H row of `type` whose Satellite cell is `satellite`, or on a satellite with a
    // teletext PID (so blanking it changes the record) when `satellite` is empty.
    std::uint32_t rowOn(const std::string& satellite, TypeText type = TypeText::TV) const {
        for (std::uint32_t r = 0; r < ws.services().size(); ++r) {
            const ServiceRow& row = ws.services().row(r);
            const std::string& block = ws.services().satelliteNames()[row.satelliteBlock];
            const bool alt = block.rfind("DVB-", 0) == 0 || block.rfind("IP_", 0) == 0;
            if (row.type == type && row.pol == PolText::H &&
                (satellite.empty() ? !alt && row.record.teletextPid != 65535
                                   : block == satellite)) {
                return r;
            }
        }
        ADD_FAILURE() << "no " << satellite << " service";
        return 0;
    }

    std::int64_t field(std::uint32_t row, std::size_t at, int width) const {
        return test::get(ws.channelBytes(), ws.services().row(row).record.offset + at, width);
    }

    ServiceEditResult edit(std::uint32_t row, const std::function<void(ServiceForm&)>& change) {
        const ServiceForm opened = openServiceForm(ws, row);
        ServiceForm edited = opened;
        change(edited);
        return editService(ws, opened, edited);
    }

protected:
    TempDir folder;
    Workspace ws;
};

INSTANTIATE_TEST_SUITE_P(Version, ServiceEditTest, testing::Values(6, 9, 10),
                         testing::PrintToStringParamName());

TEST_P(ServiceEditTest, OkWithNothingChangedLeavesEveryByteOfEveryService) {
    const Bytes before = ws.channelBytes();
    for (std::uint32_t row = 0; row < ws.services().size(); ++row) {
        const ServiceEditResult result = edit(row, [](ServiceForm&) {});
        ASSERT_FALSE(result.written || result.refusal) << row;
    }
    EXPECT_EQ(ws.channelBytes(), before);
    EXPECT_FALSE(ws.history().canUndo());
}

// Stored values the dialog's lists cannot show stay, whatever else the user changes.
TEST_P(ServiceEditTest, ValuesTheListsCannotShowStayWhenAnotherFieldChanges) {
    const std::size_t first = test::firstServiceOffset; // the generator's first service
    open({.services = 400, .satellites = 5, .version = GetParam()}, [&](Bytes& b) {
        test::put(b, first + sv::polarization, 2, 0x0102); // neither H nor V, with a high byte
        test::put(b, first + sv::videoTag, 2, 5);
        test::put(b, first + sv::audioTag, 2, 99);
        test::put(b, first + sv::satIndex, 4, 255);
        test::put(b, first + sv::flags, 2, 0x03C1); // bit 128 and a high byte
        test::put(b, first + sv::serviceType, 2, 0x0C07);
    });
    const auto row = static_cast<std::uint32_t>(*ws.services().findByOffset(first));
    const ServiceForm form = openServiceForm(ws, row);
    EXPECT_EQ(std::tuple(form.satellite, form.videoTag, form.audioTag, form.flags),
              std::tuple(-1, -1, -1, 0x41));
    Bytes expected = ws.channelBytes();
    EXPECT_FALSE(edit(row, [](ServiceForm&) {}).written);
    ASSERT_EQ(ws.channelBytes(), expected);
    const ServiceEditResult result = edit(row, [](ServiceForm& f) {
        f.name = "Neu";
        f.flags |= flagLocked;
        f.sid = "77";
    });
    ASSERT_TRUE(result.written);
    test::put(expected, first + sv::name, 3, 0x75654E); // "Neu"
    std::fill(expected.begin() + first + sv::name + 3, expected.begin() + first + 105, 0);
    test::put(expected, first + sv::nameLength, 2, 3);
    test::put(expected, first + sv::flags, 1, 0xC3); // LOCK added, bit 128 kept, high byte kept
    test::put(expected, first + sv::sid, 2, 77);
    const auto record = [&](const Bytes& b) {
        return std::vector<int>(b.begin() + first, b.begin() + first + sv::size);
    };
    EXPECT_EQ(record(ws.channelBytes()), record(expected));
}

struct EditCase {
    const char* what;
    const char* on; // the satellite block, any satellite when empty
    std::function<void(ServiceForm&)> change;
    std::size_t at;
    int width;
    std::int64_t stored;
    TypeText type = TypeText::TV;
};

TEST_P(ServiceEditTest, EachFieldIsStoredAsTheDialogEncodesIt) {
    const std::vector<EditCase> cases = {
        {"cable TV made Radio", "DVB-Cable", [](auto& f) { f.type = 1; }, sv::serviceType, 2, 2818},
        {"terrestrial Radio made TV", "DVB-Terrestrial", [](auto& f) { f.type = 0; },
         sv::serviceType, 2, 513, TypeText::Radio},
        {"satellite TV made Radio", "", [](auto& f) { f.type = 1; }, sv::serviceType, 2, 258},
        {"IP TV made Radio", "IP_CHANNEL", [](auto& f) { f.type = 1; }, sv::serviceType, 2, 1026},
        {"DTS", "", [](auto& f) { f.audioTag = 6; }, sv::audioTag, 2, 62},
        {"VC1", "", [](auto& f) { f.videoTag = 4; }, sv::videoTag, 2, 234},
        {"empty VPID", "", [](auto& f) { f.vpid = ""; }, sv::videoPid, 2, 65535},
        {"blank TXT", "", [](auto& f) { f.txt = "  "; }, sv::teletextPid, 2, 65535},
        {"PCR", "", [](auto& f) { f.pcr = " 8191 "; }, sv::pcrPid, 2, 8191},
        {"V", "", [](auto& f) { f.polarization = 1; }, sv::polarization, 2, 1},
        {"IP address as unsigned bytes", "IP_CHANNEL", [](auto& f) { f.frequency = "4294967295"; },
         sv::frequency, 4, -1},
        {"satellite frequency", "", [](auto& f) { f.frequency = "2147483647"; }, sv::frequency, 4,
         2147483647},
        {"another satellite", "", [](auto& f) { f.satellite = 3; }, sv::satIndex, 4, 3},
        {"TID", "", [](auto& f) { f.tid = "0"; }, sv::tid, 2, 0},
        {"a name filling the name area", "", [](auto& f) { f.name = std::string(96, 'a'); },
         sv::nameLength, 2, 96},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::uint32_t row = rowOn(c.on, c.type);
        ASSERT_TRUE(edit(row, c.change).written);
        EXPECT_EQ(field(row, c.at, c.width), c.stored);
    }
}

struct RefusalCase {
    const char* what;
    std::function<void(ServiceForm&)> change;
    const char* field;
    const char* text = nullptr; // the whole notice, when given
    const char* on = "";        // the satellite block, any satellite when empty
};

TEST_P(ServiceEditTest, RefusalsNameTheFieldAndWriteNothing) {
    const std::vector<RefusalCase> cases = {
        {"97 characters", [](auto& f) { f.name = std::string(97, 'a'); }, "Service",
         "Service: the name is longer than 96 characters !!!"},
        {"Cyrillic", [](auto& f) { f.name = "Канал"; }, "Service",
         "Service: the character \"К\" cannot be stored in CP1252 names !!!"},
        {"SID too big", [](auto& f) { f.sid = "65536"; }, "SID",
         "SID: enter a whole number from 0 to 65535 !!!"},
        {"negative PMT", [](auto& f) { f.pmt = "-1"; }, "pmt_pid"},
        {"decimal", [](auto& f) { f.nid = "1.5"; }, "NID"},
        {"empty APID", [](auto& f) { f.apid = ""; }, "audio_pid"},
        {"frequency beyond 32 bits", [](auto& f) { f.frequency = "4294967296"; }, "Freqfency :"},
        {"negative frequency", [](auto& f) { f.frequency = "-5"; },
         "Freqfency :", "Freqfency: enter a whole number from 1 to 2147483647 !!!"},
        {"frequency shown negative", [](auto& f) { f.frequency = "4294967295"; }, "Freqfency :"},
        {"cable kHz from 1", [](auto& f) { f.frequency = "-474000"; }, "Freqfency :", nullptr,
         "DVB-Cable"},
        {"terrestrial kHz from 1", [](auto& f) { f.frequency = "-474000"; }, "Freqfency :", nullptr,
         "DVB-Terrestrial"},
        {"PMT beyond 13 bits", [](auto& f) { f.pmt = "8192"; }, "pmt_pid",
         "pmt_pid: enter a whole number from 0 to 8191 !!!"},
        {"TXT beyond 13 bits", [](auto& f) { f.txt = "65534"; }, "TXT.PID"},
        {"satellite 255", [](auto& f) { f.satellite = 255; }, "Satelitte :"},
        {"no type", [](auto& f) { f.type = 2; }, "type"},
    };
    const Bytes before = ws.channelBytes();
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ServiceEditResult result = edit(rowOn(c.on), [&](ServiceForm& f) {
            f.name = "Fine";
            c.change(f);
        });
        ASSERT_TRUE(result.refusal.has_value());
        EXPECT_EQ(result.refusal->field, c.field);
        EXPECT_EQ(c.text ? result.refusal->notice.text : "", c.text ? c.text : "");
        EXPECT_EQ(ws.channelBytes(), before);
    }
    EXPECT_FALSE(ws.history().canUndo());
}

// A new SID keeps the service in its bouquets and its reference-table slots.
TEST_P(ServiceEditTest, BouquetItemsFollowANewSid) {
    test::RecordingPrompter prompter;
    BouquetEditor bouquets(ws, prompter);
    const auto items = bouquets.items(0);
    ASSERT_FALSE(items.empty());
    const std::uint32_t row = *bouquets.locate(0, 0);
    const ServiceEditResult result = edit(row, [](ServiceForm& f) {
        f.sid = "12345";
        f.nid = "99";
    });
    ASSERT_TRUE(result.written);
    EXPECT_FALSE(result.bouquetRecords.empty());
    const auto now = bouquets.items(0);
    EXPECT_EQ(std::tuple(now[0].sid, now[0].nid, now[0].name), std::tuple(12345, 99, items[0].name))
        << "still found by FLAG and SID";
    EXPECT_EQ(ws.services().findByFlagAndSid(items[0].link, 12345), row);
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i].link != items[0].link) {
            EXPECT_EQ(now[i].sid, items[i].sid) << "other services' items stay";
        }
    }
}

TEST_P(ServiceEditTest, TheFormEditsItsRecordUntilTheFilesOrItsStepGo) {
    const std::uint32_t row = rowOn("");
    const ServiceForm opened = openServiceForm(ws, row);
    ws.view().sortByHeaderClick(ws.services(), colService); // the view moves; the form does not
    ServiceForm edited = opened;
    edited.pcr = "100";
    ASSERT_TRUE(editService(ws, opened, edited).written);
    EXPECT_EQ(field(row, sv::pcrPid, 2), 100);

    const ServiceForm afterEdit = openServiceForm(ws, row);
    EXPECT_TRUE(serviceFormCurrent(ws, afterEdit));
    ws.undo(); // back before the form opened
    EXPECT_FALSE(serviceFormCurrent(ws, afterEdit));
    edited = afterEdit;
    edited.pcr = "200";
    const ServiceEditResult stale = editService(ws, afterEdit, edited);
    EXPECT_TRUE(stale.stale && !stale.written);

    const ServiceForm beforeOpen = openServiceForm(ws, row);
    ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    EXPECT_FALSE(serviceFormCurrent(ws, beforeOpen));
}

// Types outside the dialog's list repeat the service before, so an edit runs on to them.
TEST(ServiceEditRows, TypeAndPolTextsAfterTheEditedServiceFollowIt) {
    const std::vector<test::ServiceSpec> services = {
        {.name = "A", .link = 2},
        {.name = "B", .link = 3, .serviceType = 0x0103, .polarization = 5},
        {.name = "C", .link = 4, .serviceType = 0x0103},
        {.name = "D", .serviceType = 0x0102}};
    test::Opened folder(test::buildChannel({{"Sat", {{1, 4, services}}}}));
    Workspace& ws = folder.ws;
    ServiceForm opened = openServiceForm(ws, 0);
    ServiceForm edited = opened;
    edited.type = 1;
    edited.polarization = 1;
    std::vector<Change> told;
    ws.listen([&](const Change& change) { told.push_back(change); });
    ASSERT_TRUE(editService(ws, opened, edited).written);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].serviceRows, (std::vector<std::uint32_t>{0, 1, 2}));
    const auto shown = [&](std::size_t r) {
        return ws.services().cellText(r, colType) + " " + ws.services().cellText(r, colPol);
    };
    EXPECT_EQ(test::mapped(std::vector{0, 1, 2, 3}, shown),
              (std::vector<std::string>{"Radio V", "Radio V", "Radio H", "Radio H"}))
        << "C and D have polarisations of their own";
}

} // namespace
} // namespace tavrino
