#pragma once

#include "database/byte_image.h"

#include <cstdint>
#include <filesystem>

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

// Writes the three files into folder (created if needed). Throws FileProblem.
void writeFolder(const Files& files, const std::filesystem::path& folder);

} // namespace tavrino::sample
