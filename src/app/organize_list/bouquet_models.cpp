#include "app/organize_list/bouquet_models.h"

#include "app/organize_list/row_colors.h"
#include "app/organize_list/service_model.h"

#include <QColor>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <set>

namespace tavrino::app {
namespace {

QByteArray encodeInts(const std::vector<int>& values) {
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    for (const int v : values) {
        stream << static_cast<qint32>(v);
    }
    return payload;
}

std::vector<int> decodeInts(const QByteArray& payload) {
    std::vector<int> values;
    QDataStream stream(payload);
    qint32 v = 0;
    while (!stream.atEnd()) {
        stream >> v;
        if (stream.status() != QDataStream::Ok) {
            break;
        }
        values.push_back(v);
    }
    return values;
}

std::vector<int> rowsOf(const QModelIndexList& indexes) {
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        rows.insert(index.row());
    }
    return {rows.begin(), rows.end()};
}

} // namespace

std::optional<int> dropTarget(int row, const QModelIndex& parent, int rowCount) {
    if (parent.isValid()) {
        return parent.row();
    }
    if (row >= 0 && row < rowCount) {
        return row;
    }
    return std::nullopt;
}

BouquetListModel::BouquetListModel(const BouquetEditor& editor, const CodePage& codePage,
                                   QObject* parent)
    : QAbstractTableModel(parent), editor_(editor), codePage_(codePage) {}

int BouquetListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(editor_.rows().size());
}

int BouquetListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant BouquetListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(
            codePage_.toUtf8(editor_.rows()[static_cast<std::size_t>(index.row())].name));
    }
    if (role == Qt::BackgroundRole) {
        return rowBackground(index.row());
    }
    if (role == Qt::ForegroundRole && textColor_.isValid()) {
        return textColor_;
    }
    return {};
}

QVariant BouquetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0) {
        return QString("Bouquets Name");
    }
    return {};
}

Qt::ItemFlags BouquetListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList BouquetListModel::mimeTypes() const {
    return {bouquetMimeType};
}

QMimeData* BouquetListModel::mimeData(const QModelIndexList& indexes) const {
    auto* mime = new QMimeData;
    const auto rows = rowsOf(indexes);
    mime->setData(bouquetMimeType,
                  encodeInts(rows.empty() ? rows : std::vector<int>{rows.front()}));
    return mime;
}

bool BouquetListModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                    const QModelIndex& parent) {
    const auto rows = decodeInts(data->data(bouquetMimeType));
    if (rows.size() != 1 || rows[0] < 0 || rows[0] >= rowCount()) {
        return false; // not one of our rows: re-checked before anything moves
    }
    emit moveRequested(rows[0], dropTarget(row, parent, rowCount()));
    return false; // the move is done by the editor; the view must not remove rows itself
}

void BouquetListModel::reload() {
    beginResetModel();
    endResetModel();
}

void BouquetListModel::setTextColor(const QColor& color) {
    textColor_ = color;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::ForegroundRole});
    }
}

BouquetContentsModel::BouquetContentsModel(QObject* parent) : QAbstractTableModel(parent) {}

int BouquetContentsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int BouquetContentsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnTotal;
}

QVariant BouquetContentsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::BackgroundRole) {
        return repeats(index.row()) ? repeatedItemBackground() : rowBackground(index.row());
    }
    if (role == Qt::ForegroundRole && textColor_.isValid()) {
        return textColor_;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const BouquetItem& item = items_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0:
        return QString::fromStdString(item.name);
    case 1:
        return QString::fromStdString(item.tuner());
    case 2:
        return QString::fromStdString(item.satellite);
    case 3:
        return QString::number(item.type);
    case 4:
        return QString::number(item.position);
    case 5:
        return QString::number(item.reserved);
    case 6:
        return QString::number(item.satIndex);
    case 7:
        return QString::number(item.frequency);
    case 8:
        return QString::number(item.polarization);
    case 9:
        return QString::number(item.sid);
    case 10:
        return QString::number(item.nid);
    case 11:
        return QString::number(item.tid);
    case 12:
        return QString::number(item.link);
    default:
        return QString();
    }
}

QVariant BouquetContentsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    static const char* const headers[columnTotal] = {
        "Service", "Tun.",    "Satellite", "type", "chbroj", "", "satbr",
        "",        "Polariz", "",          "",     "",       "", ""};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnTotal) {
        return QString(headers[section]);
    }
    return {};
}

Qt::ItemFlags BouquetContentsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList BouquetContentsModel::mimeTypes() const {
    return {bouquetItemsMimeType, serviceMimeType};
}

QMimeData* BouquetContentsModel::mimeData(const QModelIndexList& indexes) const {
    auto* mime = new QMimeData;
    mime->setData(bouquetItemsMimeType, encodeInts(rowsOf(indexes)));
    return mime;
}

bool BouquetContentsModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                        const QModelIndex& parent) {
    const auto target = dropTarget(row, parent, rowCount());
    if (data->hasFormat(serviceMimeType)) {
        emit servicesDropped(serviceOffsetsFromMime(data), target);
    } else if (data->hasFormat(bouquetItemsMimeType)) {
        emit itemsMoved(decodeInts(data->data(bouquetItemsMimeType)), target);
    }
    return false; // the editor rewrites the bouquet; the view must not remove rows itself
}

void BouquetContentsModel::setItems(std::vector<BouquetItem> items, std::vector<bool> repeats) {
    beginResetModel();
    items_ = std::move(items);
    repeats_ = std::move(repeats);
    endResetModel();
}

bool BouquetContentsModel::repeats(int item) const {
    return item >= 0 && static_cast<std::size_t>(item) < repeats_.size() &&
           repeats_[static_cast<std::size_t>(item)];
}

void BouquetContentsModel::setTextColor(const QColor& color) {
    textColor_ = color;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnTotal - 1), {Qt::ForegroundRole});
    }
}

} // namespace tavrino::app
