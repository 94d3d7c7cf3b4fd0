#include "app/organize_list/service_model.h"

#include "app/organize_list/row_colors.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <algorithm>
#include <set>

namespace tavrino::app {

ServiceModel::ServiceModel(const Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

int ServiceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(workspace_.view().size());
}

int ServiceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : serviceColumnCount;
}

QVariant ServiceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= workspace_.view().size()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole: {
        const std::uint32_t row = workspace_.view().tableRow(static_cast<std::size_t>(index.row()));
        return QString::fromStdString(workspace_.services().cellText(row, index.column()));
    }
    case Qt::BackgroundRole: {
        const std::uint32_t row = workspace_.view().tableRow(static_cast<std::size_t>(index.row()));
        const std::uint32_t group = workspace_.view().groupOf(row);
        return group > 0 ? duplicateGroupBackground(group) : rowBackground(index.row());
    }
    case Qt::ForegroundRole:
        return textColor_.isValid() ? QVariant(textColor_) : QVariant();
    default:
        return {};
    }
}

QVariant ServiceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= serviceColumnCount) {
        return {};
    }
    return QString::fromUtf8(
        serviceColumns()[static_cast<std::size_t>(section)].header.data(),
        static_cast<qsizetype>(serviceColumns()[static_cast<std::size_t>(section)].header.size()));
}

Qt::ItemFlags ServiceModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList ServiceModel::mimeTypes() const {
    return {serviceMimeType};
}

QMimeData* ServiceModel::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        rows.insert(index.row());
    }
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    for (const int position : rows) {
        const std::uint32_t row = workspace_.view().tableRow(static_cast<std::size_t>(position));
        stream << static_cast<quint32>(workspace_.services().row(row).record.offset);
    }
    auto* mime = new QMimeData;
    mime->setData(serviceMimeType, payload);
    return mime;
}

std::vector<std::uint32_t> serviceOffsetsFromMime(const QMimeData* mime) {
    std::vector<std::uint32_t> offsets;
    if (mime == nullptr || !mime->hasFormat(serviceMimeType)) {
        return offsets;
    }
    QDataStream stream(mime->data(serviceMimeType));
    quint32 offset = 0;
    while (!stream.atEnd()) {
        stream >> offset;
        if (stream.status() != QDataStream::Ok) {
            break;
        }
        offsets.push_back(offset);
    }
    return offsets;
}

void ServiceModel::reload() {
    beginResetModel();
    endResetModel();
}

void ServiceModel::rowsEdited(const std::vector<int>& positions) {
    if (positions.empty()) {
        return;
    }
    // One signal for the span: the view repaints what is visible of it either way.
    const auto [low, high] = std::minmax_element(positions.begin(), positions.end());
    emit dataChanged(index(*low, 0), index(*high, serviceColumnCount - 1), {Qt::DisplayRole});
}

void ServiceModel::setTextColor(const QColor& color) {
    textColor_ = color;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, serviceColumnCount - 1),
                         {Qt::ForegroundRole});
    }
}

} // namespace tavrino::app
