#pragma once
// Whether a workspace's tables show what its images hold, as a fresh decode reads them: what
// every listener may count on when it hears of a change; and the images themselves.
#include "bouquet_contents.h"
#include "database/channel_file.h"
#include "database/transponder_file.h"
#include "services/service_columns.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino::test {

// The three images a workspace holds: every byte an undo must give back and a refusal leave.
inline std::vector<Bytes> imagesOf(const Workspace& ws) {
    const SatelliteFiles& satellites = ws.files().satelliteFiles;
    return {ws.files().channel.bytes, satellites.dvbs.bytes, satellites.antenna.bytes};
}

inline void expectTablesInStep(const Workspace& ws) {
    const auto& files = ws.files();
    const auto bouquets = [](const BouquetTable& table) {
        return mapped(table.rows, [](const auto& row) { return std::pair(row.name, row.record); });
    };
    EXPECT_EQ(bouquets(files.bouquets), bouquets(decodeBouquets(files.channel, files.channelPath)));
    const ServiceTable services =
        ServiceTable::build(files.channel, files.channelPath, files.providers, ws.codePage());
    ASSERT_EQ(ws.services().size(), services.size());
    for (std::uint32_t row = 0; row < services.size(); ++row) {
        for (const int column : {colService, colType, colSid, colSatellite, colHdFlag}) {
            ASSERT_EQ(ws.services().cellText(row, column), services.cellText(row, column))
                << "row " << row << " column " << column;
        }
    }
    const auto satellites = [](const auto& list) {
        return mapped(list, [](const auto& s) { return std::pair(s.name, s.tpCount); });
    };
    const auto& sat = files.satelliteFiles;
    EXPECT_EQ(satellites(sat.satellites),
              satellites(decodeTransponderFile(sat.dvbs, sat.dvbsPath)));
}

} // namespace tavrino::test
