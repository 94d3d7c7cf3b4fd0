#include "app/organize_list/table_view_base.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <set>

namespace tavrino::app {
namespace {

TableViewBase::DragCarrier& dragCarrier() {
    static TableViewBase::DragCarrier carrier;
    return carrier;
}

bool draggingNow = false;

} // namespace

TableViewBase::TableViewBase(QWidget* parent) : QTableView(parent), menu_(new QMenu(this)) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are chosen, not cells: Tab moves on to the next control instead of through every
    // cell of thousands of rows.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TableViewBase::hoverAgain);
}

void TableViewBase::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    // Queued, so the view has laid out the new rows before the pointer's row is looked up.
    connect(model, &QAbstractItemModel::modelReset, this, &TableViewBase::hoverAgain,
            Qt::QueuedConnection);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TableViewBase::hoverAgain,
            Qt::QueuedConnection);
}

void TableViewBase::setDragCarrier(DragCarrier carrier) {
    dragCarrier() = std::move(carrier);
}

bool TableViewBase::dragInProgress() {
    return draggingNow;
}

QAction* TableViewBase::addMenuAction(const QString& text, const QKeySequence& shortcut) {
    QAction* action = menu_->addAction(text);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setShortcutVisibleInContextMenu(false);
        addAction(action);
    }
    return action;
}

void TableViewBase::addMenuSeparator() {
    menu_->addSeparator();
}

std::vector<int> TableViewBase::selectedPositions() const {
    std::set<int> rows;
    if (selectionModel() != nullptr) {
        for (const QModelIndex& index : selectionModel()->selectedRows()) {
            rows.insert(index.row());
        }
    }
    return {rows.begin(), rows.end()};
}

int TableViewBase::currentSelectedPosition() const {
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), {})) {
        return current.row();
    }
    const auto rows = selectedPositions();
    return rows.empty() ? -1 : rows.front();
}

void TableViewBase::selectPositions(const std::vector<int>& positions) {
    clearSelection();
    if (positions.empty() || model() == nullptr) {
        return;
    }
    // One range per run of neighbouring rows: a selection of every row stays one range.
    std::vector<int> rows;
    for (const int p : positions) {
        if (p >= 0 && p < model()->rowCount()) {
            rows.push_back(p);
        }
    }
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    const int lastColumn = model()->columnCount() - 1;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] <= rows[j] + 1) {
            ++j;
        }
        selection.append(
            QItemSelectionRange(model()->index(rows[i], 0), model()->index(rows[j], lastColumn)));
        i = j + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(model()->index(positions.back(), 0),
                                      QItemSelectionModel::NoUpdate);
}

void TableViewBase::contextMenuEvent(QContextMenuEvent* event) {
    reportHover(-1); // the tip must not cover the menu's entries
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // Not where the pointer happens to rest: below the current row, or at the list's
        // top when that row is out of sight.
        const QRect row = currentIndex().isValid() ? visualRect(currentIndex()) : QRect();
        const QPoint local =
            viewport()->rect().contains(row.center()) ? row.bottomLeft() : QPoint(0, 0);
        at = viewport()->mapToGlobal(local);
    }
    menu_->popup(at);
}

void TableViewBase::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    // A held button selects or drags; the tip waits until the pointer rests again.
    if (event->buttons() == Qt::NoButton) {
        reportHover(rowAt(event->position().toPoint().y()));
    }
}

void TableViewBase::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    reportHover(-1);
}

void TableViewBase::startDrag(Qt::DropActions supportedActions) {
    QModelIndexList indexes;
    for (const QModelIndex& index : selectedIndexes()) {
        if (model()->flags(index) & Qt::ItemIsDragEnabled) {
            indexes << index;
        }
    }
    if (indexes.isEmpty()) {
        return;
    }
    QMimeData* mime = model()->mimeData(indexes);
    if (mime == nullptr) {
        return;
    }
    reportHover(-1); // no tip travels with a drag
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    draggingNow = true;
    if (dragCarrier()) {
        dragCarrier()(*drag, supportedActions);
    } else {
        drag->exec(supportedActions, defaultDropAction());
    }
    draggingNow = false;
    drag->deleteLater();
}

// A drop goes before the row under the pointer, which is the row its indicator marks; the
// grid lines count as part of their row. Only below the last row does it go to the end.
void TableViewBase::dropEvent(QDropEvent* event) {
    if (model() == nullptr || !(model()->supportedDropActions() & event->dropAction()) ||
        !viewport()->rect().contains(event->position().toPoint())) {
        QTableView::dropEvent(event);
        return;
    }
    const int row = rowAt(event->position().toPoint().y());
    if (model()->dropMimeData(event->mimeData(), event->dropAction(), row, 0, QModelIndex())) {
        event->acceptProposedAction();
    }
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}

void TableViewBase::reportHover(int position) {
    if (position != hovered_) {
        hovered_ = position;
        emit hoveredRowChanged(position);
    }
}

void TableViewBase::hoverAgain() {
    if (hovered_ < 0 || draggingNow) {
        return;
    }
    reportHover(-1);
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    if (viewport()->rect().contains(at)) {
        reportHover(rowAt(at.y()));
    }
}

} // namespace tavrino::app
