#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrino {

// One transponder as a list gives it, in the units DVBS.dat stores.
struct ImportedTransponder {
    std::int32_t frequency = 0;    // kHz
    std::int32_t symbolRate = 0;   // symbols per second
    std::uint8_t fec = 0;          // 0 Auto, 1 1/2 ... 9 9/10; other codes as the list gave them
    std::uint8_t polarization = 0; // 0 H, 1 V
    std::uint8_t system = 0;       // 0 DVB-S, 1 DVB-S2
    std::uint8_t modulation = 0;   // 1 QPSK, 2 8PSK; other codes as the list gave them
    std::uint16_t nid = 0;
    std::uint16_t tid = 0;

    bool operator==(const ImportedTransponder&) const = default;
};

struct ImportedSatellite {
    std::string name;          // UTF-8, as the list spells it
    std::int32_t position = 0; // tenths of a degree, West negative
    std::vector<ImportedTransponder> transponders;
};

// A list that could not be fetched or read; the others still import.
struct ImportFailure {
    std::string source; // the SATList.ini label or the file
    std::string reason; // one line
};

// Everything read from a satellites.xml or from KingOfSat lists, before anything changes.
struct ImportedList {
    std::vector<ImportedSatellite> satellites; // in the order of the source
    std::vector<std::string> notes; // what was left out or read differently, one line each
    std::vector<ImportFailure> failures;
};

// DVBS.dat counts a satellite's transponders in two bytes.
inline constexpr std::size_t maxImportedTransponders = 65535;

} // namespace tavrino
