#pragma once

#include "bouquets/bouquet_editor.h"

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

namespace tavrino::app {

inline constexpr const char* bouquetMimeType = "application/x-tavrino-bouquet";
inline constexpr const char* bouquetItemsMimeType = "application/x-tavrino-bouquet-items";

// Where a drop landed: the row it goes before, or nullopt for below the last row.
std::optional<int> dropTarget(int row, const QModelIndex& parent, int rowCount);

// The bouquet list: one column, "Bouquets Name". A dropped bouquet row is moved.
class BouquetListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BouquetListModel(const BouquetEditor& editor, const CodePage& codePage,
                              QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    void reload();
    void setTextColor(const QColor& color);

signals:
    // A bouquet was dragged within the list.
    void moveRequested(int fromRow, std::optional<int> ontoRow);

private:
    const BouquetEditor& editor_;
    const CodePage& codePage_;
    QColor textColor_;
};

// The contents of one bouquet: "Service", "Tun.", "Satellite" and eleven hidden columns that
// carry the stored fields. Accepts services from the service list and reordered items.
class BouquetContentsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BouquetContentsModel(QObject* parent = nullptr);

    static constexpr int columnTotal = 14;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // `repeats`: per item, whether it names a service an earlier item already names.
    void setItems(std::vector<BouquetItem> items, std::vector<bool> repeats = {});
    const std::vector<BouquetItem>& items() const { return items_; }
    bool repeats(int item) const;
    void setTextColor(const QColor& color);

signals:
    void servicesDropped(std::vector<std::uint32_t> recordOffsets, std::optional<int> beforeItem);
    void itemsMoved(std::vector<int> items, std::optional<int> ontoItem);

private:
    std::vector<BouquetItem> items_;
    std::vector<bool> repeats_;
    QColor textColor_;
};

} // namespace tavrino::app
