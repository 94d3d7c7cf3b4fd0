#pragma once

#include "app/organize_list/table_view_base.h"

namespace tavrino::app {

// The bouquet list with its menu and keys; bouquets are moved by dragging them in the list.
class BouquetListView : public TableViewBase {
    Q_OBJECT
public:
    explicit BouquetListView(QWidget* parent = nullptr);

    QAction* removeAction() const { return remove_; }
    QAction* insertAction() const { return insert_; }
    QAction* addBouquetAction() const { return add_; }
    QAction* renameAction() const { return rename_; }
    QAction* cutAction() const { return cut_; }
    QAction* copyAction() const { return copy_; }
    QAction* pasteAction() const { return paste_; }

private:
    QAction* remove_;
    QAction* insert_;
    QAction* add_;
    QAction* rename_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
};

// The contents of the selected bouquet: services are dropped in from the service list and
// reordered by dragging; a double click removes one.
class BouquetContentsView : public TableViewBase {
    Q_OBJECT
public:
    explicit BouquetContentsView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    QAction* deleteAction() const { return delete_; }
    QAction* removeDuplicatesAction() const { return removeDuplicates_; }
    QAction* cutAction() const { return cut_; }
    QAction* copyAction() const { return copy_; }
    QAction* pasteAction() const { return paste_; }
    QAction* locateAction() const { return locate_; }

protected:
    bool viewportEvent(QEvent* event) override;

private:
    QAction* delete_;
    QAction* removeDuplicates_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
    QAction* locate_;
};

} // namespace tavrino::app
