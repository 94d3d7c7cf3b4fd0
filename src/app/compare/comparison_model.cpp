#include "app/compare/comparison_model.h"

#include <algorithm>
#include <numeric>

namespace tavrino::app {
namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsAscii(const std::string& hay, const std::string& loweredNeedle) {
    const auto at = std::search(hay.begin(), hay.end(), loweredNeedle.begin(), loweredNeedle.end(),
                                [](char h, char n) { return lowerAscii(h) == n; });
    return at != hay.end();
}

bool isAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A key whose byte order is the order a person expects: ASCII case ignored, and runs of
// digits by their value ("Alpha 81" before "Alpha 144"): a run becomes '0', its length, and
// its digits without leading zeros.
std::string sortKey(const std::string& text) {
    std::string key;
    key.reserve(text.size() + 4);
    for (std::size_t i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            key += lowerAscii(text[i++]);
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        while (i + 1 < end && text[i] == '0') {
            ++i;
        }
        key += '0';
        key += static_cast<char>(std::min<std::size_t>(end - i, 127));
        key.append(text, i, end - i);
        i = end;
    }
    return key;
}

const std::string& cell(const DiffRow& row, int column) {
    switch (column) {
    case 2:
        return row.name;
    case 3:
        return row.where;
    case 4:
        return row.field;
    case 5:
        return row.before;
    default:
        return row.after;
    }
}

} // namespace

ComparisonModel::ComparisonModel(QObject* parent) : QAbstractTableModel(parent) {}

void ComparisonModel::setComparison(Comparison comparison) {
    beginResetModel();
    comparison_ = std::move(comparison);
    refilter();
    endResetModel();
}

void ComparisonModel::setFilter(ComparisonFilter filter) {
    beginResetModel();
    filter_ = std::move(filter);
    asciiText_ = isAscii(filter_.text);
    asciiNeedle_ = asciiText_ ? filter_.text.toLower().toStdString() : std::string();
    refilter();
    endResetModel();
}

const DiffRow& ComparisonModel::diffRow(int row) const {
    return comparison_.rows()[shown_.at(static_cast<std::size_t>(row))];
}

void ComparisonModel::refilter() {
    shown_.clear();
    const auto& rows = comparison_.rows();
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
        if (passes(rows[i])) {
            shown_.push_back(i);
        }
    }
    sortShown();
}

void ComparisonModel::sort(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selected and current rows stay on their comparison rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> heldRows;
    for (const QModelIndex& index : before) {
        heldRows.push_back(shown_.at(static_cast<std::size_t>(index.row())));
    }
    sortColumn_ = column;
    sortOrder_ = order;
    sortShown();
    std::vector<int> placeOf(comparison_.rows().size());
    for (std::size_t r = 0; r < shown_.size(); ++r) {
        placeOf[shown_[r]] = static_cast<int>(r);
    }
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i) {
        after << index(placeOf[heldRows[static_cast<std::size_t>(i)]], before[i].column());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ComparisonModel::sortShown() {
    const int column = sortColumn_;
    if (column < 0 || column >= static_cast<int>(diffHeader.size())) {
        if (!std::is_sorted(shown_.begin(), shown_.end())) {
            std::sort(shown_.begin(), shown_.end());
        }
        return;
    }
    // Keys made once per row: tens of thousands of rows sort in tens of milliseconds.
    const auto& rows = comparison_.rows();
    std::vector<std::string> keys(shown_.size());
    for (std::size_t k = 0; k < shown_.size(); ++k) {
        const DiffRow& row = rows[shown_[k]];
        keys[k] = column == 0   ? std::string(1, static_cast<char>(row.area))
                  : column == 1 ? std::string(1, static_cast<char>(row.change))
                                : sortKey(cell(row, column));
    }
    std::vector<std::uint32_t> order(shown_.size());
    std::iota(order.begin(), order.end(), 0u);
    const bool up = sortOrder_ == Qt::AscendingOrder;
    // Stable both ways: rows that tie keep the comparison's order.
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        return up ? keys[x] < keys[y] : keys[y] < keys[x];
    });
    std::vector<std::uint32_t> sorted(shown_.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        sorted[k] = shown_[order[k]];
    }
    shown_ = std::move(sorted);
}

bool ComparisonModel::passes(const DiffRow& row) const {
    if ((filter_.area && row.area != *filter_.area) ||
        (filter_.change && row.change != *filter_.change)) {
        return false;
    }
    if (filter_.text.isEmpty()) {
        return true;
    }
    for (int column = 2; column < static_cast<int>(diffHeader.size()); ++column) {
        const std::string& text = cell(row, column);
        // Plain ASCII is searched in the UTF-8 bytes: no conversion per row.
        const bool found =
            asciiText_ ? containsAscii(text, asciiNeedle_)
                       : QString::fromStdString(text).contains(filter_.text, Qt::CaseInsensitive);
        if (found) {
            return true;
        }
    }
    return false;
}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(diffHeader.size());
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const DiffRow& row = diffRow(index.row());
    switch (index.column()) {
    case 0:
        return QString::fromUtf8(areaText(row.area));
    case 1:
        return QString::fromUtf8(changeText(row.change));
    default:
        return QString::fromStdString(cell(row, index.column()));
    }
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(diffHeader.size())) {
        return {};
    }
    return QString::fromUtf8(diffHeader[static_cast<std::size_t>(section)]);
}

} // namespace tavrino::app
