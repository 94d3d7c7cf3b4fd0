#pragma once

#include "database/byte_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrino {

// One 36-byte record of antenna_list.dat: how satellite i is received.
struct AntennaRecord {
    int netIndex = 0;
    int nitSearch = 0;
    int tunerSelect = 0;
    int lnbType = 0;
    std::int32_t lnbFrequency = 0;
    int lnbPower = 0;
    int tone22k = 0;
    int switch12v = 0;
    int diseqcPort = 0;
    int motorMode = 0;
    int motorPosition = 0;
};

struct AntennaSettings {
    int longitude = 0;
    int latitude = 0;
    int satelliteCount = 0;
    std::vector<AntennaRecord> records; // record i belongs to satellite i
};

AntennaSettings decodeSatelliteFile(const SatelliteImage& image, const std::string& path);

// Rewrites an antenna file of a channel database older than version 9 into the current layout.
void convertAntennaLayout(SatelliteImage& image);

// The antenna list line of a record: net index with at least three digits and a dot ("007.").
std::string antennaLine(int netIndex);

// The texts the satellite editor shows for a record.
struct AntennaDisplay {
    std::string nitSearch;
    std::string lnbType;
    std::string power;
    std::string tone22k;
    std::string switch12v;
    std::string diseqc;
    std::string motor;
    std::string order;       // combination mode only
    std::string committed;   // combination mode only
    std::string uncommitted; // combination mode only
    bool combination = false;
};

AntennaDisplay describeAntenna(const AntennaRecord& record);

} // namespace tavrino
