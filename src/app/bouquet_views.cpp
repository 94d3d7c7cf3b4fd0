#include "app/bouquet_views.h"

#include "app/twips.h"

#include <QHeaderView>

namespace tavrino::app {
namespace {

void enableDragAndDrop(QAbstractItemView* view) {
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDropIndicatorShown(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::CopyAction);
    view->setDragDropOverwriteMode(false);
}

} // namespace

BouquetListView::BouquetListView(QWidget* parent) : TableViewBase(parent) {
    setObjectName("bouquetList");
    setSelectionMode(QAbstractItemView::SingleSelection);
    enableDragAndDrop(this);
    horizontalHeader()->setStretchLastSection(true);
    setMinimumWidth(twipsToPixels(2400));

    // The captions carry their own key hints, so the menu does not repeat them.
    remove_ = addMenuAction("Remove Bouquet", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    insert_ = addMenuAction("Insert Bouquets", QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    add_ = addMenuAction("Add Bouquets");
    addMenuSeparator();
    rename_ = addMenuAction("Rename Bouquets", QKeySequence(Qt::CTRL | Qt::Key_R));
    addMenuSeparator();
    cut_ = addMenuAction("Cut Bouquet      (Ctrl+X)", QKeySequence(Qt::CTRL | Qt::Key_X), false);
    copy_ = addMenuAction("Copy Bouquet   (Ctrl+C)", QKeySequence(Qt::CTRL | Qt::Key_C), false);
    paste_ = addMenuAction("Paste Bouquet   (Ctrl+V)", QKeySequence(Qt::CTRL | Qt::Key_V), false);
}

BouquetContentsView::BouquetContentsView(QWidget* parent) : TableViewBase(parent) {
    setObjectName("bouquetContents");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setToolTip("Duble click to remove item");
    enableDragAndDrop(this);
    setAutoScroll(true);
    setAutoScrollMargin(twipsToPixels(320)); // drags near the edges scroll the list
    setMinimumWidth(twipsToPixels(2400));

    delete_ = addMenuAction("Delete Item", QKeySequence(Qt::Key_Delete));
    addMenuSeparator();
    cut_ = addMenuAction("Cut", QKeySequence(Qt::CTRL | Qt::Key_X));
    copy_ = addMenuAction("Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    paste_ = addMenuAction("Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    addMenuSeparator();
    locate_ = addMenuAction("Locate In Service List", QKeySequence(Qt::CTRL | Qt::Key_L));
}

void BouquetContentsView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    const int widths[] = {2822, 1058, 3175};
    for (int c = 0; c < model->columnCount(); ++c) {
        setColumnHidden(c, c >= 3);
        if (c < 3) {
            setColumnWidth(c, twipsToPixels(widths[c]));
        }
    }
}

} // namespace tavrino::app
