#include "services/service_view.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace tavrino {
namespace {

constexpr std::int64_t emptyKey = std::numeric_limits<std::int64_t>::min();

std::int64_t numberKey(const DecodedService& r, int column) {
    switch (column) {
    case colFrequency:
        return r.frequency;
    case colTid:
        return r.tid;
    case colNid:
        return r.nid;
    case colSid:
        return r.sid;
    case colVpid:
        return r.videoPid == 65535 ? emptyKey : r.videoPid;
    case colApid:
        return r.audioPid;
    case colPmt:
        return r.pmtPid;
    case colPcr:
        return r.pcrPid;
    case colTxt:
        return r.teletextPid == 65535 ? emptyKey : r.teletextPid;
    case colSatPos:
        return r.satIndex;
    case colFlag:
        return r.flag;
    case colTypeNumber:
        return r.serviceType;
    case colCountryId:
        return r.nameLength;
    case colGenreId:
        return r.genreId;
    case colVideoTag:
        return r.videoTag;
    case colAudioTag:
        return r.audioTag;
    case colHdFlag:
        return r.flags;
    case colLokacija:
        return r.offset;
    default:
        return emptyKey;
    }
}

template <class Key>
void sortByKeys(std::vector<std::uint32_t>& rows, std::vector<Key> keys, bool ascending) {
    std::vector<std::uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    if (ascending) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return keys[b] < keys[a]; });
    }
    std::vector<std::uint32_t> sorted(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted[i] = rows[order[i]];
    }
    rows = std::move(sorted);
}

} // namespace

void ServiceView::reset(const ServiceTable& table) {
    duplicateGroups_.reset();
    applyFilter(table, {});
}

void ServiceView::applyFilter(const ServiceTable& table, const ServiceFilter& filter) {
    filter_ = filter;
    rows_.clear();
    rows_.reserve(table.size());
    const auto& rows = table.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ServiceRow& row = rows[i];
        if (filter.satelliteBlock && row.satelliteBlock != *filter.satelliteBlock) {
            continue;
        }
        if (filter.type && row.type != *filter.type) {
            continue;
        }
        if (duplicateGroups_ && groupOf(static_cast<std::uint32_t>(i)) == 0) {
            continue;
        }
        rows_.push_back(static_cast<std::uint32_t>(i));
    }
    if (duplicateGroups_) {
        std::vector<std::uint32_t> keys;
        keys.reserve(rows_.size());
        for (const auto r : rows_) {
            keys.push_back(groupOf(r));
        }
        sortByKeys(rows_, std::move(keys), true);
    }
}

std::uint32_t ServiceView::groupOf(std::uint32_t tableRow) const {
    // Groups found before the table was read again may not reach its new rows.
    return duplicateGroups_ && tableRow < duplicateGroups_->size() ? (*duplicateGroups_)[tableRow]
                                                                   : 0;
}

bool ServiceView::sortByHeaderClick(const ServiceTable& table, int column) {
    ascending_ = !ascending_;
    sort(table, column, ascending_);
    return ascending_;
}

void ServiceView::sort(const ServiceTable& table, int column, bool ascending) {
    if (column < 0 || column >= serviceColumnCount) {
        return;
    }
    const CodePage& page = table.codePage();
    if (serviceColumns()[static_cast<std::size_t>(column)].sort == SortKind::Number) {
        std::vector<std::int64_t> keys;
        keys.reserve(rows_.size());
        for (const auto r : rows_) {
            keys.push_back(numberKey(table.row(r).record, column));
        }
        sortByKeys(rows_, std::move(keys), ascending);
        return;
    }
    std::vector<std::string> keys;
    keys.reserve(rows_.size());
    for (const auto r : rows_) {
        const ServiceRow& row = table.row(r);
        switch (column) {
        case colService:
            keys.push_back(page.folded(row.record.name));
            break;
        case colSatellite:
            keys.push_back(page.folded(table.satelliteNames()[row.satelliteBlock]));
            break;
        case colType:
            keys.push_back(page.folded(typeText(row.type)));
            break;
        case colPol:
            keys.push_back(page.folded(polText(row.pol)));
            break;
        default:
            keys.push_back(page.folded(table.providerName(r)));
            break;
        }
    }
    // std::string compares bytes as unsigned, so letters beyond ASCII sort after it.
    sortByKeys(rows_, std::move(keys), ascending);
}

std::optional<std::size_t> ServiceView::findByName(const ServiceTable& table,
                                                   std::string_view utf8Prefix) const {
    if (utf8Prefix.empty()) {
        return std::nullopt;
    }
    const CodePage& page = table.codePage();
    const Encoded prefix = page.fromUtf8(utf8Prefix);
    if (!prefix.ok) {
        return std::nullopt; // no stored name can hold that character
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (page.startsWithIgnoringCase(table.row(rows_[i]).record.name, prefix.bytes)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ServiceView::positionOfTableRow(std::uint32_t tableRow) const {
    const auto it = std::find(rows_.begin(), rows_.end(), tableRow);
    if (it == rows_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - rows_.begin());
}

std::vector<std::size_t>
ServiceView::positionsOfTableRows(std::span<const std::uint32_t> tableRows) const {
    constexpr std::size_t absent = static_cast<std::size_t>(-1);
    std::uint32_t highest = 0;
    for (const std::uint32_t row : tableRows) {
        highest = std::max(highest, row);
    }
    std::vector<std::size_t> positionOf(static_cast<std::size_t>(highest) + 1, absent);
    for (std::size_t p = 0; p < rows_.size(); ++p) {
        if (rows_[p] <= highest) {
            positionOf[rows_[p]] = p;
        }
    }
    std::vector<std::size_t> positions;
    for (const std::uint32_t row : tableRows) {
        if (positionOf[row] != absent) {
            positions.push_back(positionOf[row]);
        }
    }
    return positions;
}

} // namespace tavrino
