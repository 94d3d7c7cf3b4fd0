#include "app/organize_list/service_list_view.h"

#include "app/twips.h"
#include "services/service_columns.h"
#include "services/service_table.h"

#include <QAction>
#include <QHeaderView>

namespace tavrino::app {

ServiceListView::ServiceListView(QWidget* parent) : TableViewBase(parent) {
    setObjectName("serviceView");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ServiceListView::headerClicked);

    lock_ = addMenuAction("LOCK");
    unlock_ = addMenuAction("UnLOCK");
    addMenuSeparator();
    insertHd_ = addMenuAction("Insert HD Flag");
    removeHd_ = addMenuAction("Remove HD Flag");
    addMenuSeparator();
    // Enter opens the dialog too (and a double click, see the tab).
    edit_ = addMenuAction("Edit", QKeySequence(Qt::Key_Return));
    edit_->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    const std::pair<QAction*, FlagCommand> commands[] = {{lock_, FlagCommand::Lock},
                                                         {unlock_, FlagCommand::Unlock},
                                                         {insertHd_, FlagCommand::InsertHd},
                                                         {removeHd_, FlagCommand::RemoveHd}};
    for (const auto& [action, command] : commands) {
        connect(action, &QAction::triggered, this,
                [this, c = command] { emit flagCommand(c); }); // clang 14 cannot capture bindings
    }
}

void ServiceListView::setModel(QAbstractItemModel* model) {
    TableViewBase::setModel(model);
    const auto& columns = serviceColumns();
    for (int c = 0; c < serviceColumnCount; ++c) {
        const int twips = columns[static_cast<std::size_t>(c)].widthTwips;
        setColumnHidden(c, twips == 0);
        if (twips > 0) {
            setColumnWidth(c, twipsToPixels(twips));
        }
    }
}

void ServiceListView::contextMenuEvent(QContextMenuEvent* event) {
    if (model() != nullptr && model()->rowCount() > 0) {
        TableViewBase::contextMenuEvent(event);
    }
}

} // namespace tavrino::app
