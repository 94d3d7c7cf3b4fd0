#pragma once

#include "common/code_page.h"
#include "common/large_blocks.h"
#include "database/channel_file.h"
#include "services/service_columns.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

enum class TypeText : std::uint8_t { Empty, TV, Radio };
enum class PolText : std::uint8_t { Empty, H, V };

// Flag bits of the low byte of a service's flag field.
enum FlagBit : std::uint8_t {
    flagValid = 1,
    flagLocked = 2,
    flagScrambled = 4,
    flagSkipped = 8,
    flagAutoPid = 16,
    flagDsmcc = 32,
    flagHd = 64,
};

// One service: its decoded record plus the texts that depend on the services before it.
struct ServiceRow {
    DecodedService record;
    TypeText type = TypeText::Empty;
    PolText pol = PolText::Empty;
    std::uint32_t satelliteBlock = 0; // index into ServiceTable::satelliteNames()
    std::uint32_t homeBlock = 0;      // the block that holds the record
    std::uint8_t homeSatIndex = 0;    // the satellite number read when the table was built
};

using ServiceRows = std::vector<ServiceRow, LargeBlockAllocator<ServiceRow>>;

// Every service of the channel database in file order, with the satellite filter list and the
// lookups other parts use to find a service again. Cells are produced as text on demand.
class ServiceTable {
public:
    ServiceTable() = default;

    // Walks the service tree; throws FileProblem on a damaged tree.
    static ServiceTable build(const ChannelImage& image, const std::string& path,
                              std::shared_ptr<const ProviderTable> providers,
                              const CodePage& codePage);
    static ServiceTable build(const ChannelImage& image, const std::string& path,
                              ProviderTable providers, const CodePage& codePage) {
        return build(image, path, std::make_shared<const ProviderTable>(std::move(providers)),
                     codePage);
    }

    const ServiceRows& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    const ServiceRow& row(std::size_t index) const { return rows_[index]; }
    const CodePage& codePage() const { return *codePage_; }

    // Names of the satellite blocks in order of first appearance, each once (raw bytes).
    const std::vector<std::string>& satelliteNames() const { return satelliteNames_; }
    // Name of the block that last held a service with this satellite number, if any.
    const std::string* blockNameForSatIndex(int satIndex) const;

    std::string cellText(std::size_t row, int column) const; // UTF-8
    const std::string& providerName(std::size_t row) const { // raw bytes
        return providers_->nameFor(rows_[row].record.providerIndex);
    }
    std::string serviceName(std::size_t row) const; // UTF-8

    // First service in file order with this link value and SID.
    std::optional<std::size_t> findByFlagAndSid(std::int32_t flag, std::uint16_t sid) const;
    std::optional<std::size_t> findByOffset(std::uint32_t offset) const;
    // The row whose 200-byte record holds this file offset.
    std::optional<std::size_t> rowContaining(std::size_t offset) const;

    // Keeps a row in step after its flag byte was written into the image.
    void setFlags(std::size_t row, std::uint16_t flags) { rows_[row].record.flags = flags; }

    // Names the satellite-table entry of a satellite number (nullptr: none).
    using SatelliteNames = std::function<const std::string*(int satIndex)>;
    // Reads a row's record again after it was written. Its FLAG stays: it comes from the
    // records around it. A satellite number other than the one the build read shows the
    // satellite-table entry of that number, as the edit dialog does. Returns the rows whose
    // cells changed: this one, and those after it whose Type or Pol text repeats it.
    std::vector<std::uint32_t> rereadRow(std::size_t row, const ChannelImage& image,
                                         const std::string& path,
                                         const SatelliteNames& satelliteTable);

private:
    class Builder;
    static const std::shared_ptr<const ProviderTable>& noProviders();
    std::uint32_t blockNamed(const std::string& name);
    void reindex(std::size_t row, std::uint16_t oldSid);
    void retext(std::size_t from, std::vector<std::uint32_t>& changed);

    ServiceRows rows_;
    std::vector<std::string> satelliteNames_;
    std::array<int, 256> blockBySatIndex_{};
    std::shared_ptr<const ProviderTable> providers_ = noProviders();
    const CodePage* codePage_ = &CodePage::windows1252();
    const std::vector<std::pair<std::uint64_t, std::uint32_t>>& flagSidIndex() const;
    mutable std::vector<std::pair<std::uint64_t, std::uint32_t>> byFlagAndSid_; // sorted, stable
    mutable bool byFlagAndSidBuilt_ = false;
};

std::string_view typeText(TypeText type);
std::string_view polText(PolText pol);

} // namespace tavrino
