#pragma once

#include "app/organize_list/table_view_base.h"
#include "services/flag_edit.h"

#include <cstdint>

namespace tavrino::app {

// The service list: hidden columns, header clicks that sort, the flag menu, and drags
// towards a bouquet.
class ServiceListView : public TableViewBase {
    Q_OBJECT
public:
    explicit ServiceListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    QAction* lockAction() const { return lock_; }
    QAction* unlockAction() const { return unlock_; }
    QAction* insertHdAction() const { return insertHd_; }
    QAction* removeHdAction() const { return removeHd_; }
    QAction* editAction() const { return edit_; }

signals:
    void headerClicked(int column);
    void flagCommand(tavrino::FlagCommand command);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* lock_;
    QAction* unlock_;
    QAction* insertHd_;
    QAction* removeHd_;
    QAction* edit_;
};

} // namespace tavrino::app
