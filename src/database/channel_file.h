#pragma once

#include "database/byte_image.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

// Provider names by key 0..2000 (names are raw code-page bytes).
struct ProviderTable {
    std::array<std::string, 2001> names;
    std::size_t count = 0; // provider records in the file

    // A key above 2000 shows entry 0.
    const std::string& nameFor(int providerIndex) const {
        return names[providerIndex < 0 || providerIndex > 2000 ? 0 : providerIndex];
    }
};

// One bouquet record with a non-empty name; `record` is its slot, which list rows keep.
struct BouquetRecord {
    int record = 0;
    int number = 0;
    std::string name;
};

struct BouquetTable {
    int count = 0; // bouquet count stored in the file (records in use)
    std::vector<BouquetRecord> rows;
};

// One ServiceRecord of the service tree, decoded.
struct DecodedService {
    std::uint32_t offset = 0; // "Lokacija"
    std::int32_t flag = 0;    // link value standing for this service ("FLAG")
    std::int32_t link = 0;
    std::string name; // raw code-page bytes
    std::uint16_t nameLength = 0;
    std::uint16_t genreId = 0;
    std::uint16_t providerIndex = 0;
    std::uint8_t satIndex = 0;
    std::int32_t frequency = 0;
    std::uint16_t serviceType = 0;
    std::uint16_t tid = 0;
    std::uint16_t nid = 0;
    std::uint16_t sid = 0;
    std::uint16_t polarization = 0;
    std::uint16_t pmtPid = 0;
    std::uint16_t pcrPid = 0;
    std::uint16_t videoTag = 0;
    std::uint16_t videoPid = 0;
    std::uint16_t audioTag = 0;
    std::uint16_t audioPid = 0;
    std::uint16_t teletextPid = 0;
    std::uint16_t flags = 0;
};

class ServiceTreeVisitor {
public:
    virtual ~ServiceTreeVisitor() = default;
    // Called for each satellite block before its services.
    virtual void satelliteBlock(std::string_view name) = 0;
    virtual void service(DecodedService&& service) = 0;
};

// Refuses files too short to hold the fixed areas and versions below 6.
void checkChannelFile(const ChannelImage& image, const std::string& path);
int channelVersion(const ChannelImage& image);

ProviderTable decodeProviders(const ChannelImage& image, const std::string& path);
BouquetTable decodeBouquets(const ChannelImage& image, const std::string& path);
void walkServiceTree(const ChannelImage& image, const std::string& path,
                     ServiceTreeVisitor& visitor);

// The service record at `offset` read again after an edit; its FLAG comes from the records
// around it, so the caller passes the one it had.
DecodedService decodeServiceRecord(const ChannelImage& image, const std::string& path,
                                   std::size_t offset, std::int32_t flag);

// Marks every in-use reference (three tables, then the bouquet items) as cable/terrestrial
// by its satIndex, as files of version 9 and later expect.
void remarkReferences(ChannelImage& image, const std::string& path);

} // namespace tavrino
