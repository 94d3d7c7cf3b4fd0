#include "services/service_table.h"

#include "database/layout.h"

#include <algorithm>
#include <unordered_map>

namespace tavrino {
namespace {

constexpr std::uint16_t noPid = 65535;

TypeText typeOf(std::uint16_t serviceType, TypeText previous) {
    switch (serviceType) {
    case 0x0101:
    case 0x0201:
    case 0x0B01:
        return TypeText::TV;
    case 0x0102:
    case 0x0202:
    case 0x0B02:
        return TypeText::Radio;
    default:
        return previous; // other types repeat the service before
    }
}

PolText polOf(std::uint16_t polarization, PolText previous) {
    switch (polarization) {
    case 0:
        return PolText::H;
    case 1:
        return PolText::V;
    default:
        return previous;
    }
}

std::uint64_t flagSidKey(std::int32_t flag, std::uint16_t sid) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(flag)) << 16 | sid;
}

std::string pidText(std::uint16_t pid) {
    return pid == noPid ? std::string() : std::to_string(pid);
}

} // namespace

class ServiceTable::Builder : public ServiceTreeVisitor {
public:
    explicit Builder(ServiceTable& table) : table_(table) { table_.blockBySatIndex_.fill(-1); }

    void satelliteBlock(std::string_view name) override {
        const auto [it, added] =
            indexByName_.try_emplace(std::string(name), table_.satelliteNames_.size());
        if (added) {
            table_.satelliteNames_.emplace_back(name);
        }
        currentBlock_ = static_cast<std::uint32_t>(it->second);
    }

    void service(DecodedService&& record) override {
        ServiceRow row;
        row.type = previousType_ = typeOf(record.serviceType, previousType_);
        row.pol = previousPol_ = polOf(record.polarization, previousPol_);
        row.satelliteBlock = row.homeBlock = currentBlock_;
        row.homeSatIndex = record.satIndex;
        table_.blockBySatIndex_[record.satIndex] = currentBlock_;
        row.record = std::move(record);
        table_.rows_.push_back(std::move(row));
    }

private:
    ServiceTable& table_;
    std::unordered_map<std::string, std::size_t> indexByName_;
    std::uint32_t currentBlock_ = 0;
    TypeText previousType_ = TypeText::Empty;
    PolText previousPol_ = PolText::Empty;
};

ServiceTable ServiceTable::build(const ChannelImage& image, const std::string& path,
                                 std::shared_ptr<const ProviderTable> providers,
                                 const CodePage& codePage) {
    ServiceTable table;
    if (providers) {
        table.providers_ = std::move(providers);
    }
    table.codePage_ = &codePage;
    // As many rows as the tree can hold: pages never written are never mapped in, and the
    // rows are not copied again while the table grows.
    table.rows_.reserve(
        image.length() > layout::channel::serviceTree
            ? (image.length() - layout::channel::serviceTree) / layout::channel::service::size + 1
            : 0);
    Builder builder(table);
    walkServiceTree(image, path, builder);
    return table;
}

// Built on the first lookup: an open that never looks a service up by its link pays nothing.
const std::vector<std::pair<std::uint64_t, std::uint32_t>>& ServiceTable::flagSidIndex() const {
    if (!byFlagAndSidBuilt_) {
        byFlagAndSid_.reserve(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const auto& r = rows_[i].record;
            byFlagAndSid_.emplace_back(flagSidKey(r.flag, r.sid), static_cast<std::uint32_t>(i));
        }
        std::sort(byFlagAndSid_.begin(), byFlagAndSid_.end()); // row breaks ties: file order
        byFlagAndSidBuilt_ = true;
    }
    return byFlagAndSid_;
}

const std::shared_ptr<const ProviderTable>& ServiceTable::noProviders() {
    static const auto none = std::make_shared<const ProviderTable>();
    return none;
}

const std::string* ServiceTable::blockNameForSatIndex(int satIndex) const {
    if (satIndex < 0 || satIndex > 255 ||
        blockBySatIndex_[static_cast<std::size_t>(satIndex)] < 0) {
        return nullptr;
    }
    return &satelliteNames_[static_cast<std::size_t>(
        blockBySatIndex_[static_cast<std::size_t>(satIndex)])];
}

std::string ServiceTable::serviceName(std::size_t row) const {
    return codePage_->toUtf8(rows_[row].record.name);
}

std::string ServiceTable::cellText(std::size_t index, int column) const {
    const ServiceRow& row = rows_[index];
    const DecodedService& r = row.record;
    switch (column) {
    case colService:
        return codePage_->toUtf8(r.name);
    case colProvider:
        return codePage_->toUtf8(providers_->nameFor(r.providerIndex));
    case colType:
        return std::string(typeText(row.type));
    case colSatellite:
        return codePage_->toUtf8(satelliteNames_[row.satelliteBlock]);
    case colFrequency:
        return std::to_string(r.frequency);
    case colPol:
        return std::string(polText(row.pol));
    case colTid:
        return std::to_string(r.tid);
    case colNid:
        return std::to_string(r.nid);
    case colSid:
        return std::to_string(r.sid);
    case colVpid:
        return pidText(r.videoPid);
    case colApid:
        return std::to_string(r.audioPid);
    case colPmt:
        return std::to_string(r.pmtPid);
    case colPcr:
        return std::to_string(r.pcrPid);
    case colTxt:
        return pidText(r.teletextPid);
    case colSatPos:
        return std::to_string(r.satIndex);
    case colFlag:
        return std::to_string(r.flag);
    case colTypeNumber:
        return std::to_string(r.serviceType);
    case colCountryId:
        return std::to_string(r.nameLength);
    case colGenreId:
        return std::to_string(r.genreId);
    case colVideoTag:
        return std::to_string(r.videoTag);
    case colAudioTag:
        return std::to_string(r.audioTag);
    case colHdFlag:
        return std::to_string(r.flags);
    case colLokacija:
        return std::to_string(r.offset);
    default:
        return {};
    }
}

std::optional<std::size_t> ServiceTable::findByFlagAndSid(std::int32_t flag,
                                                          std::uint16_t sid) const {
    const std::uint64_t key = flagSidKey(flag, sid);
    const auto& index = flagSidIndex();
    const auto it = std::lower_bound(index.begin(), index.end(),
                                     std::pair<std::uint64_t, std::uint32_t>{key, 0});
    if (it == index.end() || it->first != key) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::size_t> ServiceTable::findByOffset(std::uint32_t offset) const {
    // Rows are in file order, so offsets ascend.
    const auto it = std::lower_bound(
        rows_.begin(), rows_.end(), offset,
        [](const ServiceRow& row, std::uint32_t value) { return row.record.offset < value; });
    if (it == rows_.end() || it->record.offset != offset) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - rows_.begin());
}

std::optional<std::size_t> ServiceTable::rowContaining(std::size_t offset) const {
    const auto it = std::upper_bound(
        rows_.begin(), rows_.end(), offset,
        [](std::size_t value, const ServiceRow& row) { return value < row.record.offset; });
    if (it == rows_.begin()) {
        return std::nullopt;
    }
    const auto row = static_cast<std::size_t>(it - rows_.begin()) - 1;
    if (offset >= rows_[row].record.offset + layout::channel::service::size) {
        return std::nullopt;
    }
    return row;
}

std::vector<std::uint32_t> ServiceTable::rereadRow(std::size_t row, const ChannelImage& image,
                                                   const std::string& path,
                                                   const SatelliteNames& satelliteTable) {
    ServiceRow& r = rows_[row];
    const std::uint16_t oldSid = r.record.sid;
    r.record = decodeServiceRecord(image, path, r.record.offset, r.record.flag);
    if (r.record.satIndex == r.homeSatIndex) {
        r.satelliteBlock = r.homeBlock;
    } else {
        const std::string* name = satelliteTable(r.record.satIndex);
        r.satelliteBlock = blockNamed(name ? *name : std::string());
    }
    if (r.record.sid != oldSid) {
        reindex(row, oldSid);
    }
    std::vector<std::uint32_t> changed;
    retext(row, changed);
    return changed;
}

std::uint32_t ServiceTable::blockNamed(const std::string& name) {
    const auto it = std::find(satelliteNames_.begin(), satelliteNames_.end(), name);
    if (it != satelliteNames_.end()) {
        return static_cast<std::uint32_t>(it - satelliteNames_.begin());
    }
    satelliteNames_.push_back(name); // a satellite no block held until now
    return static_cast<std::uint32_t>(satelliteNames_.size() - 1);
}

void ServiceTable::reindex(std::size_t row, std::uint16_t oldSid) {
    if (!byFlagAndSidBuilt_) {
        return; // built from the rows as they are when first needed
    }
    const std::int32_t flag = rows_[row].record.flag;
    const std::pair<std::uint64_t, std::uint32_t> old{flagSidKey(flag, oldSid),
                                                      static_cast<std::uint32_t>(row)};
    const auto at = std::lower_bound(byFlagAndSid_.begin(), byFlagAndSid_.end(), old);
    if (at != byFlagAndSid_.end() && *at == old) {
        byFlagAndSid_.erase(at);
    }
    const std::pair<std::uint64_t, std::uint32_t> now{flagSidKey(flag, rows_[row].record.sid),
                                                      static_cast<std::uint32_t>(row)};
    byFlagAndSid_.insert(std::lower_bound(byFlagAndSid_.begin(), byFlagAndSid_.end(), now), now);
}

// Type and Pol texts repeat the service before for values outside their lists, so a change
// runs on until a row whose texts stay as they were.
void ServiceTable::retext(std::size_t from, std::vector<std::uint32_t>& changed) {
    TypeText type = from > 0 ? rows_[from - 1].type : TypeText::Empty;
    PolText pol = from > 0 ? rows_[from - 1].pol : PolText::Empty;
    for (std::size_t i = from; i < rows_.size(); ++i) {
        ServiceRow& r = rows_[i];
        type = typeOf(r.record.serviceType, type);
        pol = polOf(r.record.polarization, pol);
        if (i > from && type == r.type && pol == r.pol) {
            break;
        }
        r.type = type;
        r.pol = pol;
        changed.push_back(static_cast<std::uint32_t>(i));
    }
}

std::string_view typeText(TypeText type) {
    switch (type) {
    case TypeText::TV:
        return "TV";
    case TypeText::Radio:
        return "Radio";
    default:
        return "";
    }
}

std::string_view polText(PolText pol) {
    switch (pol) {
    case PolText::H:
        return "H";
    case PolText::V:
        return "V";
    default:
        return "";
    }
}

} // namespace tavrino
