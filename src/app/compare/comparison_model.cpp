#include "app/compare/comparison_model.h"

#include <algorithm>

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
