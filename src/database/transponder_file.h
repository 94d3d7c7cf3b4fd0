#pragma once

#include "database/byte_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrino {

struct DvbsSatellite {
    std::string name; // raw code-page bytes
    int tpCount = 0;
    std::int32_t orbitalPosition = 0; // tenths of a degree, negative = West
    std::size_t offset = 0;
};

struct DvbsTransponder {
    std::int32_t frequency = 0;
    int nid = 0;
    int tid = 0;
    std::int32_t symbolRate = 0;
    int fec = 0;
    int polarization = 0;
    int weFlag = 0;
    int pilot = 0;
    std::int32_t orbitalPosition = 0;
    int modulationSystem = 0;
    int modulationType = 0;
};

// The satellite list of DVBS.dat; refuses counts above 256 and records past the end.
std::vector<DvbsSatellite> decodeTransponderFile(const TransponderImage& image,
                                                 const std::string& path);

// Start offset of satellite i by summing the sizes of the satellites before it.
std::size_t satelliteOffset(const TransponderImage& image, int index);

std::vector<DvbsTransponder> listTransponders(const TransponderImage& image, int index);

// A position as shown: the absolute value in degrees with one decimal ("##0.0"), and E or W.
struct PositionText {
    std::string degrees;
    std::string eastWest;
};
PositionText formatPosition(std::int64_t tenths);

// Texts of the transponder editor's lists for one entry.
struct TransponderDisplay {
    std::string fec;
    std::string polarization;
    std::string pilot;
    std::string modulationSystem;
    std::string modulationType;
    PositionText position;
};
TransponderDisplay describeTransponder(const DvbsTransponder& tp);

} // namespace tavrino
