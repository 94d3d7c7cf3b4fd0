#include "common/csv.h"
#include "services/service_csv.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

TEST(ServiceListCsv, HoldsTheViewAsShownWithTheTwentyThreeHeaders) {
    test::TempDir folder;
    test::writeSample(folder.path(), {.services = 400, .satellites = 4, .bouquets = 0});
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    ws.view().applyFilter(ws.services(), {std::nullopt, TypeText::Radio});
    ws.view().sort(ws.services(), colFrequency, false);
    const std::string text = serviceListCsv(ws.services(), ws.view());
    const auto records = csv::parse(text);
    ASSERT_EQ(records.size(), ws.view().size() + 1);
    ASSERT_EQ(records[0].fields.size(), 23u);
    for (int c = 0; c < serviceColumnCount; ++c) {
        EXPECT_EQ(records[0].fields[static_cast<std::size_t>(c)], serviceColumns()[c].header);
    }
    for (std::size_t p = 0; p < ws.view().size(); ++p) {
        for (int c = 0; c < serviceColumnCount; ++c) {
            ASSERT_EQ(records[p + 1].fields[static_cast<std::size_t>(c)],
                      ws.services().cellText(ws.view().tableRow(p), c))
                << "row " << p << " column " << c;
        }
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              std::count(text.begin(), text.end(), '\r'))
        << "every line ends in CR LF";

    test::TempDir out;
    exportServiceList(ws.services(), ws.view(), out / "services.csv");
    const Bytes written = test::readFile(out / "services.csv");
    EXPECT_EQ(std::string(written.begin(), written.end()), text);
}

} // namespace
} // namespace tavrino
