#pragma once

#include <cstddef>
#include <cstdint>

// Byte layouts of the three receiver files. Offsets are 0-based; "+n" offsets are relative to
// the start of a record. Every module reads and writes these files through these names only.
namespace tavrino::layout {

namespace channel { // all_channel.dat
inline constexpr std::size_t version = 0;

inline constexpr std::size_t nameRecordSize = 104;
inline constexpr std::size_t nameRecordIndex = 2;  // u16
inline constexpr std::size_t nameRecordLength = 4; // u16
inline constexpr std::size_t nameRecordName = 6;   // up to 98 bytes
inline constexpr std::size_t nameRecordNameCapacity = 98;

inline constexpr std::size_t providers = 12;
inline constexpr std::size_t providerCapacity = 2000;
inline constexpr std::size_t providerCount = 208012;  // u16
inline constexpr std::size_t providerKeyLimit = 2000; // keys 0..2000

// Two further name areas of NameRecords, carried unchanged.
inline constexpr std::size_t secondNames = 208014;
inline constexpr std::size_t secondNameCount = 239214; // u16
inline constexpr std::size_t thirdNames = 239216;
inline constexpr std::size_t thirdNameCount = 270416; // u16

inline constexpr std::size_t bouquets = 270418;
inline constexpr std::size_t bouquetCapacity = 50;
inline constexpr std::size_t bouquetCount = 275618; // u16

inline constexpr std::size_t serviceRefSize = 24;
struct ReferenceTable {
    std::size_t firstSlot;
    std::size_t capacity;
    std::size_t count; // u32
};
inline constexpr ReferenceTable referenceTables[3] = {
    {275632, 15000, 635632},
    {635636, 10000, 875636},
    {875640, 5000, 995640},
};

inline constexpr std::size_t bouquetItems = 995644;
inline constexpr std::size_t bouquetItemCapacity = 200;
inline constexpr std::size_t bouquetItemTableSize = bouquetItemCapacity * serviceRefSize; // 4800
inline constexpr std::size_t bouquetItemCounts = 1235644; // u16 per bouquet

inline constexpr std::size_t serviceTree = 1596296;

// ServiceRef (reference tables and bouquet items)
namespace ref {
inline constexpr std::size_t altSystemMark = 0;
inline constexpr std::size_t altSystemMark2 = 1;
inline constexpr std::size_t position = 2;  // u16
inline constexpr std::size_t reserved = 4;  // u16
inline constexpr std::size_t satIndex = 6;  // u16
inline constexpr std::size_t frequency = 8; // 4 bytes
inline constexpr std::size_t polarization = 12;
inline constexpr std::size_t sid = 14;
inline constexpr std::size_t nid = 16;
inline constexpr std::size_t tid = 18;
inline constexpr std::size_t link = 20; // 4 bytes
} // namespace ref

inline constexpr int altSystemSatIndex = 240; // satIndex above this: cable or terrestrial

// Satellite block header of the service tree
inline constexpr std::size_t satelliteHeaderSize = 304;
inline constexpr std::size_t satelliteHeaderName = 12;
inline constexpr std::size_t satelliteHeaderNameWidth = 63;
inline constexpr std::size_t satelliteHeaderTpCount = 76; // 4 bytes

inline constexpr std::size_t transponderPrefixSize = 8;
inline constexpr std::size_t transponderHeaderSize = 216;
inline constexpr std::size_t transponderServiceCount = 10; // u16
inline constexpr std::size_t transponderFirstLink = 16;    // 4 bytes
inline constexpr std::size_t transponderLastLink = 20;     // 4 bytes

// ServiceRecord
namespace service {
inline constexpr std::size_t size = 200;
inline constexpr std::size_t link = 0;
inline constexpr std::size_t name = 9;
inline constexpr std::size_t nameCapacity = 97;
inline constexpr std::size_t nameAreaCapacity = 96; // an edited name fills bytes 9..104
inline constexpr std::size_t nameLength = 106;
inline constexpr std::size_t genreId = 108;
inline constexpr std::size_t providerIndex = 114;
inline constexpr std::size_t satIndex = 116;  // 4 bytes
inline constexpr std::size_t frequency = 120; // 4 bytes
inline constexpr std::size_t serviceType = 128;
inline constexpr std::size_t tid = 130;
inline constexpr std::size_t nid = 136;
inline constexpr std::size_t sid = 138;
inline constexpr std::size_t polarization = 140;
inline constexpr std::size_t pmtPid = 142;
inline constexpr std::size_t pcrPid = 144;
inline constexpr std::size_t videoTag = 146;
inline constexpr std::size_t videoPid = 148;
inline constexpr std::size_t audioTag = 152;
inline constexpr std::size_t audioPid = 154;
inline constexpr std::size_t teletextPid = 164;
inline constexpr std::size_t flags = 184; // low byte holds the flag bits
} // namespace service

inline constexpr std::size_t minimumSize = serviceTree + satelliteHeaderSize;
// The service tree has no count of its own, so no size follows from the layout. The reference
// tables and bouquets can name 30,000 services (6 MB of records); 256 MiB holds 1.3 million
// service records, far beyond any receiver, while a larger file is refused before it is read.
inline constexpr std::uint64_t maxFileSize = std::uint64_t{256} << 20;
inline constexpr const char* maxFileSizeText = "256 MiB, far more than a receiver can hold";
inline constexpr int oldestSupportedVersion = 6;
inline constexpr int currentLayoutVersion = 9; // antenna file layout changed here
} // namespace channel

namespace antenna { // antenna_list.dat
inline constexpr std::size_t longitude = 0;
inline constexpr std::size_t latitude = 2;
inline constexpr std::size_t satelliteCount = 28;
inline constexpr std::size_t headerSize = 32;
inline constexpr std::size_t recordSize = 36;
inline constexpr std::size_t maxSatellites = 256;
inline constexpr std::size_t convertedSize = 32804;
// Every antenna_list.dat has this one size once converted; its 256 records fit well inside.
inline constexpr std::uint64_t maxFileSize = convertedSize;
inline constexpr const char* maxFileSizeText = "the size of the antenna list layout";
inline constexpr std::size_t layoutMarks[] = {16, 20, 24, 30}; // 1 in the current layout

namespace record {
inline constexpr std::size_t netIndex = 0;
inline constexpr std::size_t nitSearch = 2;
inline constexpr std::size_t tunerSelect = 4;
inline constexpr std::size_t lnbType = 8;
inline constexpr std::size_t lnbFrequency = 12; // 4 bytes
inline constexpr std::size_t lnbPower = 16;
inline constexpr std::size_t tone22k = 17;
inline constexpr std::size_t switch12v = 18;
inline constexpr std::size_t diseqcPort = 19;
inline constexpr std::size_t motorMode = 20;
inline constexpr std::size_t motorPosition = 22;
} // namespace record
} // namespace antenna

namespace dvbs {                                 // DVBS.dat
inline constexpr std::size_t satelliteCount = 0; // u16
inline constexpr std::size_t headerSize = 128;
inline constexpr std::size_t maxSatellites = 256;

inline constexpr std::size_t satelliteSize = 124;
inline constexpr std::size_t satelliteNumber = 8; // one byte, written when a satellite is added
inline constexpr std::size_t satelliteName = 9;
inline constexpr std::size_t satelliteNameWidth = 64;
inline constexpr std::size_t satelliteTpCount = 76;          // u16
inline constexpr std::size_t satelliteTemplate = 80;         // 28 bytes every new header gets
inline constexpr std::size_t satelliteOrbitalPosition = 108; // 4 bytes, signed tenths of a degree
inline constexpr std::size_t satellitePositionCopy = 116;    // 4 bytes, the same position
inline constexpr std::size_t maxTransponders = 65535;        // tpCount is two bytes

inline constexpr std::size_t transponderSize = 36;
inline constexpr std::size_t maxTranspondersPerSatellite = 65535; // u16 tpCount
// 256 satellites, each with the most transponders its count can name.
inline constexpr std::uint64_t maxFileSize =
    headerSize + maxSatellites * (satelliteSize + transponderSize * maxTranspondersPerSatellite);
inline constexpr const char* maxFileSizeText =
    "what 256 satellites of 65535 transponders each take";
namespace transponder {
inline constexpr std::size_t filler = 0;    // 8 bytes of 0x33
inline constexpr std::size_t frequency = 8; // 4 bytes
inline constexpr std::size_t nid = 12;
inline constexpr std::size_t tid = 14;
inline constexpr std::size_t marker = 16;     // 4 bytes, always 2
inline constexpr std::size_t symbolRate = 20; // 4 bytes
inline constexpr std::size_t fec = 24;
inline constexpr std::size_t polarization = 25;
inline constexpr std::size_t weFlag = 26;
inline constexpr std::size_t pilot = 27;
inline constexpr std::size_t orbitalPosition = 28; // 4 bytes
inline constexpr std::size_t zeroBefore = 32;
inline constexpr std::size_t modulationSystem = 33;
inline constexpr std::size_t modulationType = 34;
inline constexpr std::size_t zeroAfter = 35;
} // namespace transponder
} // namespace dvbs

} // namespace tavrino::layout
