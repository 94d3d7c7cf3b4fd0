#include "services/flag_edit.h"
#include "services/service_details.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::ServiceSpec;

ServiceTable tableFor(const ChannelImage& image) {
    return ServiceTable::build(image, "f", ProviderTable{}, CodePage::windows1252());
}

TEST(FlagEdit, WritesOneByteAndKeepsTheOtherBits) {
    ChannelImage image{test::buildChannel({{"Sat",
                                            {{0,
                                              0,
                                              {
                                                  {.name = "News", .flags = 66},
                                                  {.name = "High", .flags = 0x1380},
                                              }}}}})};
    ServiceTable table = tableFor(image);
    Bytes none;
    EditHistory history({&image.bytes, &none, &none});
    ImageEditor editor(image.bytes, ImageKind::Channel, history);
    const std::size_t at = test::firstServiceOffset + 184;
    struct Step {
        std::uint32_t row;
        std::uint8_t bit;
        bool set;
        std::int64_t stored; // both bytes of the field afterwards
    };
    for (const Step& s : {Step{0, flagLocked, false, 64}, Step{0, flagHd, false, 0},
                          Step{0, flagHd, true, 64}, Step{0, flagHd, true, 64},
                          Step{1, flagLocked, true, 0x1382}, Step{1, flagHd, false, 0x1382}}) {
        const std::uint32_t rows[] = {s.row};
        changeFlagBit(editor, table, rows, s.bit, s.set);
        EXPECT_EQ(test::get(image.bytes, at + 200 * s.row, 2), s.stored);
        EXPECT_EQ(table.row(s.row).record.flags, s.stored);
        EXPECT_EQ(tableFor(image).row(s.row).record.flags, s.stored) << "image and row agree";
    }
    EXPECT_TRUE(history.canUndo()) << "writes outside an operation still form a step";
}

TEST(ServiceDetails, TipListsTheSetFlags) {
    ChannelImage image{test::buildChannel({{"Sat",
                                            {{0,
                                              0,
                                              {
                                                  {.name = "News", .flags = 66},
                                                  {.name = "Zero", .flags = 0},
                                                  {.name = "All", .flags = 127},
                                              }}}}})};
    const ServiceTable table = tableFor(image);
    const std::string rule = "------------------";
    EXPECT_EQ(channelInfoText(table, 0), "News\n" + rule + "\nHD Ch.\nLOCKed Ch.\n" + rule);
    EXPECT_EQ(channelInfoText(table, 1), "Zero\n" + rule + "\nSD Ch.\n" + rule);
    EXPECT_EQ(channelInfoText(table, 2), "All\n" + rule +
                                             "\nHD Ch.\nDSMCC Ch.\nAutoPid\nSkiped Ch.\n"
                                             "Scrambled Ch.\nLOCKed Ch.\nValid Ch.\n" +
                                             rule);
}

TEST(ServiceDetails, ClipboardTakesTheRowsAfterTheSelectionAndStopsAtTheEnd) {
    ChannelImage image{
        test::buildChannel({{"Sat",
                             {{0,
                               0,
                               {
                                   {.name = "A", .serviceType = 0x0101, .satIndex = 1},
                                   {.name = "B", .serviceType = 0x0102, .satIndex = 3},
                                   {.name = "C", .serviceType = 0x0101, .satIndex = 3},
                                   {.name = "D", .serviceType = 0x0101, .satIndex = 5},
                               }}}}})};
    const ServiceTable table = tableFor(image);
    ServiceView view;
    view.reset(table);
    EXPECT_EQ(clipboardText(table, view, 0),
              "3 - -3 - B - Radio\r\n3 - 0 - C - TV\r\n5 - -2 - D - TV\r\n");
    EXPECT_EQ(clipboardText(table, view, 3), "");
}

TEST(ServiceDetails, ClipboardTakesAtMost101Rows) {
    const auto files = sample::generate({.services = 300});
    ChannelImage image{files.channel};
    const ServiceTable table = tableFor(image);
    ServiceView view;
    view.reset(table);
    const std::string text = clipboardText(table, view, 10);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 101);
}

} // namespace
} // namespace tavrino
