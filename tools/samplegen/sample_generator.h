#pragma once

#include "database/byte_image.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>

namespace tavrino::sample {

struct Options {
    int services = 400;
    int satellites = 6; // satellites in DVBS.dat (each also a block of the service tree)
    int bouquets = 8;   // up to 50
    int version = 10;   // 6, 9, 10 ...; below 9 writes the old antenna layout
    std::uint64_t seed = 1;
    int maxBouquetItems = 200;
    int transponders = -1; // in DVBS.dat in all, shared out evenly; -1: 3 to 24 per satellite
};

struct Files {
    Bytes channel; // all_channel.dat
    Bytes antenna; // antenna_list.dat
    Bytes dvbs;    // DVBS.dat
};

// A complete, valid receiver database. The same options always give the same bytes.
Files generate(const Options& options);

// What a new scan of the same receiver writes: the same services in another order (transponders
// within each satellite, services within each transponder) with new link values; some are
// gone, some renamed, the frequency of some satellite transponders moved by 1 MHz. The
// reference tables follow the new records; bouquets keep their bytes, so they point at links
// that no longer exist. DVBS.dat and antenna_list.dat stay as they were.
struct RescanOptions {
    std::uint64_t seed = 1;
    int removedPercent = 5;
    int renamedPercent = 5;
    int movedPercent = 30; // transponders whose services move up or down by 1 MHz
};

struct Rescan {
    Files files;
    std::map<std::int32_t, std::int32_t> newFlag; // FLAG before -> FLAG after, services kept
    std::set<std::int32_t> removed;               // FLAGs before
    std::set<std::int32_t> renamed;               // FLAGs before
};

// Needs a database whose FLAG values tell its services apart, as generate() writes them.
Rescan rescan(const Files& scanned, const RescanOptions& options);

// Writes the three files into folder (created if needed). Throws FileProblem.
void writeFolder(const Files& files, const std::filesystem::path& folder);

} // namespace tavrino::sample
