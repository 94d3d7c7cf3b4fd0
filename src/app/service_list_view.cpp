#include "app/service_list_view.h"

#include "app/twips.h"
#include "services/service_columns.h"
#include "services/service_table.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <set>

namespace tavrino::app {

ServiceListView::ServiceListView(QWidget* parent) : QTableView(parent), menu_(new QMenu(this)) {
    setObjectName("serviceView");
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setMouseTracking(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ServiceListView::headerClicked);

    lock_ = menu_->addAction("LOCK");
    unlock_ = menu_->addAction("UnLOCK");
    menu_->addSeparator();
    insertHd_ = menu_->addAction("Insert HD Flag");
    removeHd_ = menu_->addAction("Remove HD Flag");
    connect(lock_, &QAction::triggered, this, [this] { emit flagCommand(flagLocked, true); });
    connect(unlock_, &QAction::triggered, this, [this] { emit flagCommand(flagLocked, false); });
    connect(insertHd_, &QAction::triggered, this, [this] { emit flagCommand(flagHd, true); });
    connect(removeHd_, &QAction::triggered, this, [this] { emit flagCommand(flagHd, false); });
}

void ServiceListView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    applyColumnLayout();
}

void ServiceListView::applyColumnLayout() {
    const auto& columns = serviceColumns();
    for (int c = 0; c < serviceColumnCount; ++c) {
        const int twips = columns[static_cast<std::size_t>(c)].widthTwips;
        setColumnHidden(c, twips == 0);
        if (twips > 0) {
            setColumnWidth(c, twipsToPixels(twips));
        }
    }
}

std::vector<int> ServiceListView::selectedPositions() const {
    std::set<int> rows;
    if (selectionModel() != nullptr) {
        for (const QModelIndex& index : selectionModel()->selectedRows()) {
            rows.insert(index.row());
        }
    }
    return {rows.begin(), rows.end()};
}

int ServiceListView::currentSelectedPosition() const {
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), {})) {
        return current.row();
    }
    const auto rows = selectedPositions();
    return rows.empty() ? -1 : rows.front();
}

void ServiceListView::selectPositions(const std::vector<int>& positions) {
    clearSelection();
    if (positions.empty() || model() == nullptr) {
        return;
    }
    QItemSelection selection;
    for (const int p : positions) {
        selection.select(model()->index(p, 0), model()->index(p, model()->columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(model()->index(positions.front(), 0),
                                      QItemSelectionModel::NoUpdate);
}

void ServiceListView::contextMenuEvent(QContextMenuEvent* event) {
    if (model() != nullptr && model()->rowCount() > 0) {
        menu_->popup(event->globalPos());
    }
}

void ServiceListView::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    reportHover(rowAt(event->position().toPoint().y()));
}

void ServiceListView::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    reportHover(-1);
}

void ServiceListView::reportHover(int position) {
    if (position != hovered_) {
        hovered_ = position;
        emit hoveredRowChanged(position);
    }
}

} // namespace tavrino::app
