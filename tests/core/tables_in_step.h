#pragma once
// Whether a workspace's tables show what its images hold, as a fresh decode reads them: what
// every listener may count on when it hears of a change.
#include "database/channel_file.h"
#include "database/transponder_file.h"
#include "services/service_columns.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino::test {

inline void expectTablesInStep(const Workspace& ws) {
    const auto& files = ws.files();
    const BouquetTable bouquets = decodeBouquets(files.channel, files.channelPath);
    ASSERT_EQ(files.bouquets.rows.size(), bouquets.rows.size());
    for (std::size_t r = 0; r < bouquets.rows.size(); ++r) {
        EXPECT_EQ(files.bouquets.rows[r].name, bouquets.rows[r].name);
        EXPECT_EQ(files.bouquets.rows[r].record, bouquets.rows[r].record);
    }
    const ServiceTable services =
        ServiceTable::build(files.channel, files.channelPath, files.providers, ws.codePage());
    ASSERT_EQ(ws.services().size(), services.size());
    for (std::uint32_t row = 0; row < services.size(); ++row) {
        for (const int column : {colService, colType, colSid, colSatellite, colHdFlag}) {
            ASSERT_EQ(ws.services().cellText(row, column), services.cellText(row, column))
                << "row " << row << " column " << column;
        }
    }
    const auto& sat = files.satelliteFiles;
    const auto satellites = decodeTransponderFile(sat.dvbs, sat.dvbsPath);
    ASSERT_EQ(sat.satellites.size(), satellites.size());
    for (std::size_t i = 0; i < satellites.size(); ++i) {
        EXPECT_EQ(sat.satellites[i].name, satellites[i].name);
        EXPECT_EQ(sat.satellites[i].tpCount, satellites[i].tpCount);
    }
}

} // namespace tavrino::test
