#include "app/table_view_base.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <set>

namespace tavrino::app {

TableViewBase::TableViewBase(QWidget* parent) : QTableView(parent), menu_(new QMenu(this)) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QAction* TableViewBase::addMenuAction(const QString& text, const QKeySequence& shortcut,
                                      bool shortcutInMenu) {
    QAction* action = menu_->addAction(text);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setShortcutVisibleInContextMenu(shortcutInMenu);
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
    QItemSelection selection;
    for (const int p : positions) {
        if (p >= 0 && p < model()->rowCount()) {
            selection.select(model()->index(p, 0), model()->index(p, model()->columnCount() - 1));
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(model()->index(positions.back(), 0),
                                      QItemSelectionModel::NoUpdate);
}

void TableViewBase::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}

void TableViewBase::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    reportHover(rowAt(event->position().toPoint().y()));
}

void TableViewBase::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    reportHover(-1);
}

void TableViewBase::reportHover(int position) {
    if (position != hovered_) {
        hovered_ = position;
        emit hoveredRowChanged(position);
    }
}

} // namespace tavrino::app
