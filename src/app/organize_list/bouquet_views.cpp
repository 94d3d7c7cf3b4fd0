#include "app/organize_list/bouquet_views.h"

#include "app/twips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>

namespace tavrino::app {
namespace {

void enableDragAndDrop(QAbstractItemView* view) {
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDropIndicatorShown(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::CopyAction);
    // A drop lands before the row under the pointer, wherever on the row it falls; the
    // indicator marks that whole row rather than a gap above or below it.
    view->setDragDropOverwriteMode(true);
}

} // namespace

BouquetListView::BouquetListView(QWidget* parent) : TableViewBase(parent) {
    setObjectName("bouquetList");
    setSelectionMode(QAbstractItemView::SingleSelection);
    enableDragAndDrop(this);
    horizontalHeader()->setStretchLastSection(true);
    setMinimumWidth(twipsToPixels(2400));

    remove_ = addMenuAction("Remove Bouquet", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    insert_ = addMenuAction("Insert Bouquets", QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    add_ = addMenuAction("Add Bouquets");
    addMenuSeparator();
    rename_ = addMenuAction("Rename Bouquets", QKeySequence(Qt::CTRL | Qt::Key_R));
    addMenuSeparator();
    cut_ = addMenuAction("Cut Bouquet      (Ctrl+X)", QKeySequence(Qt::CTRL | Qt::Key_X));
    copy_ = addMenuAction("Copy Bouquet   (Ctrl+C)", QKeySequence(Qt::CTRL | Qt::Key_C));
    paste_ = addMenuAction("Paste Bouquet   (Ctrl+V)", QKeySequence(Qt::CTRL | Qt::Key_V));
}

BouquetContentsView::BouquetContentsView(QWidget* parent) : TableViewBase(parent) {
    setObjectName("bouquetContents");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setToolTip("Duble click to remove item");
    enableDragAndDrop(this);
    setAutoScroll(true);
    setAutoScrollMargin(twipsToPixels(320)); // drags near the edges scroll the list
    // Rows reach the right edge, so a drop right of the columns is on a row too.
    horizontalHeader()->setStretchLastSection(true);
    setMinimumWidth(twipsToPixels(2400));

    delete_ = addMenuAction("Delete Item", QKeySequence(Qt::Key_Delete));
    // Reached through the menu (right button, the menu key or Shift+F10); off when the
    // bouquet on screen names no service twice.
    removeDuplicates_ = addMenuAction("Remove Duplicate Items");
    removeDuplicates_->setEnabled(false);
    addMenuSeparator();
    cut_ = addMenuAction("Cut", QKeySequence(Qt::CTRL | Qt::Key_X));
    copy_ = addMenuAction("Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    paste_ = addMenuAction("Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    addMenuSeparator();
    locate_ = addMenuAction("Locate In Service List", QKeySequence(Qt::CTRL | Qt::Key_L));
}

void BouquetContentsView::setModel(QAbstractItemModel* model) {
    TableViewBase::setModel(model);
    const int widths[] = {2822, 1058, 3175};
    for (int c = 0; c < model->columnCount(); ++c) {
        setColumnHidden(c, c >= 3);
        if (c < 3) {
            setColumnWidth(c, twipsToPixels(widths[c]));
        }
    }
}

bool BouquetContentsView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip &&
        rowAt(static_cast<QHelpEvent*>(event)->pos().y()) >= 0) {
        // Over a row its details tip speaks; the list's hint would cover it.
        QToolTip::hideText();
        return true;
    }
    return TableViewBase::viewportEvent(event);
}

} // namespace tavrino::app
