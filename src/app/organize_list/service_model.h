#pragma once

#include "workspace/workspace.h"

#include <QAbstractTableModel>
#include <QColor>

namespace tavrino::app {

inline constexpr const char* serviceMimeType = "application/x-tavrino-services";

// The service view as a Qt model: one row per row of the workspace's view; cell texts come
// from the core on demand, so 30,000 rows cost nothing until they are painted.
class ServiceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ServiceModel(const Workspace& workspace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The view's rows were rebuilt (open, filter, sort).
    void reload();
    // These view positions show edited services.
    void rowsEdited(const std::vector<int>& positions);
    void setTextColor(const QColor& color);

private:
    const Workspace& workspace_;
    QColor textColor_;
};

// Record offsets carried by a drag from the service view.
std::vector<std::uint32_t> serviceOffsetsFromMime(const class QMimeData* mime);

} // namespace tavrino::app
