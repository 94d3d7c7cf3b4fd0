#include "app/organize_list/bouquet_panel.h"

#include "app/organize_list/bouquet_models.h"
#include "app/organize_list/bouquet_views.h"
#include "app/organize_list/details_tip.h"
#include "app/organize_list/name_dialog.h"
#include "bouquets/bouquet_duplicates.h"

#include <QAction>
#include <QColor>
#include <QItemSelectionModel>
#include <QStringList>
#include <algorithm>

namespace tavrino::app {

BouquetPanel::BouquetPanel(Document& document, Prompter& prompter, DetailsTip& tip, QWidget* parent)
    : QObject(parent), document_(document), prompter_(prompter), tip_(tip),
      editor_(document.bouquets()),
      listModel_(new BouquetListModel(editor_, document.workspace().codePage(), this)),
      contentsModel_(new BouquetContentsModel(this)), listView_(new BouquetListView(parent)),
      contentsView_(new BouquetContentsView(parent)), nameDialog_(new NameDialog(parent)) {
    listView_->setModel(listModel_);
    contentsView_->setModel(contentsModel_);
    // The selection, not the current row: a mouse press moves the current row before it
    // selects, and the contents must show the bouquet that ends up selected.
    connect(listView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &BouquetPanel::showContents);
    connectListCommands();
    connectContentsCommands();
}

BouquetPanel::~BouquetPanel() = default;

void BouquetPanel::connectListCommands() {
    connect(listView_->addBouquetAction(), &QAction::triggered, this, [this] {
        if (document_.workspace().channelLoaded()) {
            askName(-1, "Name of the new bouquet:", [this](int, const std::string& name) {
                return editor_.add(name);
            });
        }
    });
    connect(listView_->insertAction(), &QAction::triggered, this, [this] {
        if (selectedRow() >= 0) {
            askName(selectedRow(), "Name of the bouquet to insert:",
                    [this](int row, const std::string& name) { return editor_.insert(row, name); });
        }
    });
    connect(listView_->renameAction(), &QAction::triggered, this, [this] {
        if (selectedRow() >= 0) {
            askName(selectedRow(), "New name of the bouquet:",
                    [this](int row, const std::string& name) { return editor_.rename(row, name); });
        }
    });
    connect(listView_->removeAction(), &QAction::triggered, this, [this] {
        if (selectedRow() >= 0) {
            selectListChange(editor_.remove(selectedRow()));
        }
    });
    connect(listView_->cutAction(), &QAction::triggered, this, [this] {
        if (selectedRow() >= 0) {
            selectListChange(editor_.cut(selectedRow()));
        }
    });
    connect(listView_->copyAction(), &QAction::triggered, this, [this] {
        if (selectedRow() >= 0) {
            editor_.copy(selectedRow());
        }
    });
    connect(listView_->pasteAction(), &QAction::triggered, this, [this] {
        const int row = selectedRow();
        selectListChange(editor_.paste(row >= 0 ? std::optional<int>(row) : std::nullopt));
    });
    // Drops and double clicks act after the view has finished its own event handling, since
    // they rebuild the model the view is still using.
    connect(
        listModel_, &BouquetListModel::moveRequested, this,
        [this](int from, std::optional<int> onto) { selectListChange(editor_.move(from, onto)); },
        Qt::QueuedConnection);
}

void BouquetPanel::connectContentsCommands() {
    connect(contentsView_->deleteAction(), &QAction::triggered, this, [this] {
        selectContentsChange(editor_.deleteItems(shownRow(), contentsView_->selectedPositions()));
    });
    connect(contentsView_->cutAction(), &QAction::triggered, this, [this] {
        selectContentsChange(editor_.cutItems(shownRow(), contentsView_->selectedPositions()));
    });
    connect(contentsView_->copyAction(), &QAction::triggered, this,
            [this] { editor_.copyItems(shownRow(), contentsView_->selectedPositions()); });
    connect(contentsView_->pasteAction(), &QAction::triggered, this, [this] {
        const std::size_t before = contentsModel_->items().size();
        const ContentsChange change = editor_.pasteItems(shownRow(), selectedItem());
        selectContentsChange(change);
        tellAlreadyHeld(change, contentsModel_->items().size() - before);
    });
    connect(contentsView_->removeDuplicatesAction(), &QAction::triggered, this,
            &BouquetPanel::removeDuplicateItems);
    connect(contentsView_->locateAction(), &QAction::triggered, this, [this] {
        const auto item = selectedItem();
        if (!item) {
            return;
        }
        if (const auto service = editor_.locate(shownRow(), *item)) {
            emit locateRequested(*service);
        }
    });
    connect(
        contentsView_, &QAbstractItemView::doubleClicked, this,
        [this](const QModelIndex& index) {
            selectContentsChange(editor_.deleteItem(shownRow(), index.row()));
        },
        Qt::QueuedConnection);
    connect(contentsModel_, &BouquetContentsModel::servicesDropped, this,
            &BouquetPanel::dropServices, Qt::QueuedConnection);
    connect(
        contentsModel_, &BouquetContentsModel::itemsMoved, this,
        [this](std::vector<int> items, std::optional<int> onto) {
            selectContentsChange(editor_.moveItems(shownRow(), std::move(items), onto));
        },
        Qt::QueuedConnection);
    connect(contentsView_, &TableViewBase::hoveredRowChanged, this, &BouquetPanel::showItemTip);
}

void BouquetPanel::askName(int row, const QString& prompt, NameAction action) {
    const QString initial = row >= 0 ? listModel_->index(row, 0).data().toString() : QString();
    const std::optional<BouquetId> target = editor_.idOfRow(row);
    nameDialog_->ask(prompt, initial,
                     [this, target, action = std::move(action)](const QString& text) {
                         return nameEntered(target, action, text.toStdString());
                     });
}

bool BouquetPanel::nameEntered(std::optional<BouquetId> target, const NameAction& action,
                               const std::string& name) {
    int row = -1;
    if (target) {
        const auto now = editor_.rowOfId(*target);
        if (!now) {
            prompter_.tell(limitNotice("The bouquet this name was meant for no longer exists !!!"));
            return true;
        }
        row = *now;
    }
    const ListChange change = action(row, name);
    selectListChange(change);
    return !change.nameRefused; // a refused name stays in the dialog to be corrected
}

int BouquetPanel::selectedRow() const {
    const int row = listView_->currentSelectedPosition();
    return row < listModel_->rowCount() ? row : -1;
}

int BouquetPanel::shownRow() const {
    const auto row = shown_ ? editor_.rowOfId(*shown_) : std::nullopt;
    return row.value_or(-1);
}

std::optional<int> BouquetPanel::selectedItem() const {
    const int item = contentsView_->currentSelectedPosition();
    return item >= 0 ? std::optional<int>(item) : std::nullopt;
}

void BouquetPanel::selectRow(std::optional<int> row) {
    const QSignalBlocker quiet(listView_->selectionModel());
    if (row && *row >= 0 && *row < listModel_->rowCount()) {
        listView_->selectPositions({*row});
        listView_->scrollTo(listModel_->index(*row, 0));
    } else {
        listView_->clearSelection();
    }
    listView_->viewport()->update();
    showContents();
}

void BouquetPanel::databaseReplaced() {
    nameDialog_->reject(); // it was opened for a bouquet of the database now gone
    lastShown_.clear();
    listModel_->reload();
    emit bouquetCountChanged(listModel_->rowCount());
    selectRow(listModel_->rowCount() > 0 ? std::optional<int>(0) : std::nullopt);
    rememberNames();
}

void BouquetPanel::showChange(const Change& change) {
    if (change.undoOrRedo()) {
        stepApplied(change.bouquetRecords);
    } else {
        refresh(); // names, numbers and satellites of the items may read otherwise now
    }
    rememberNames();
    const int row = selectedRow();
    for (const int record : change.bouquetRecords) {
        if (row < 0 || record != editor_.rows()[static_cast<std::size_t>(row)].record) {
            lastShown_.erase(record);
        }
    }
}

void BouquetPanel::rememberNames() {
    namesShown_.clear();
    for (const BouquetRecord& row : editor_.rows()) {
        namesShown_.push_back(row.name);
    }
}

void BouquetPanel::setTextColor(const QColor& color) {
    listModel_->setTextColor(color);
    contentsModel_->setTextColor(color);
}

void BouquetPanel::refresh() {
    const int row = selectedRow();
    listModel_->reload();
    emit bouquetCountChanged(listModel_->rowCount());
    selectRow(row >= 0 ? std::optional<int>(row) : std::nullopt);
}

namespace {

// By the fields that name the service; the mark bytes and position are rewritten with the
// bouquet.
bool sameService(const BouquetItem& a, const BouquetItem& b) {
    return a.link == b.link && a.sid == b.sid && a.tid == b.tid && a.nid == b.nid &&
           a.satIndex == b.satIndex && a.frequency == b.frequency;
}

// Positions in `after` of the items that are not in `before`, the others kept in order: the
// items outside a longest common subsequence, so an undone delete selects exactly the items it
// put back and an undone drop selects none, even where a bouquet names a service twice. A
// bouquet holds a few hundred items; a larger one (a hostile file) selects nothing.
std::vector<int> itemsAdded(const std::vector<BouquetItem>& before,
                            const std::vector<BouquetItem>& after) {
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    if (n * m > 1'000'000) {
        return {};
    }
    // common[i][j]: longest common subsequence of before[i..] and after[j..].
    std::vector<std::uint16_t> common((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint16_t& {
        return common[i * (m + 1) + j];
    };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            at(i, j) = sameService(before[i], after[j])
                           ? static_cast<std::uint16_t>(at(i + 1, j + 1) + 1)
                           : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    std::vector<int> added;
    std::size_t i = 0;
    for (std::size_t j = 0; j < m;) {
        if (i < n && sameService(before[i], after[j]) && at(i, j) == at(i + 1, j + 1) + 1) {
            ++i;
            ++j;
        } else if (i < n && at(i + 1, j) >= at(i, j + 1)) {
            ++i; // an item the step took out
        } else {
            added.push_back(static_cast<int>(j++));
        }
    }
    return added;
}

bool sameItems(const std::vector<BouquetItem>& a, const std::vector<BouquetItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameService);
}

} // namespace

// After an undo or redo the ids are new and records say little about which bouquet is which
// (a move rewrites every record between its ends), so bouquets are told apart by name: one
// whose name is back (a removal or rename undone) is selected, else the one selected before
// wherever it went, if the step moved it or changed its items; else the first bouquet the
// step wrote. Items are selected only where the same bouquet stays shown.
void BouquetPanel::stepApplied(const std::vector<int>& records) {
    const std::vector<BouquetItem> itemsBefore = contentsModel_->items();
    const int rowBefore = selectedRow();
    const std::vector<std::string> namesBefore = namesShown_;
    const auto& rows = editor_.rows();
    std::optional<int> back;
    std::optional<int> same;
    int named = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string& name = rows[r].name;
        if (!back && std::find(namesBefore.begin(), namesBefore.end(), name) == namesBefore.end()) {
            back = static_cast<int>(r);
        }
        if (rowBefore >= 0 && static_cast<std::size_t>(rowBefore) < namesBefore.size() &&
            name == namesBefore[static_cast<std::size_t>(rowBefore)]) {
            same = static_cast<int>(r);
            ++named;
        }
    }
    // Moved, or its items changed: an undo elsewhere shows the bouquet it changed instead.
    const auto touched = [&](int row) {
        return row != rowBefore || !sameItems(editor_.items(row), itemsBefore);
    };
    if (!same || back || named != 1 || !touched(*same)) {
        same.reset();
    }
    std::optional<int> row = back ? back : same;
    for (const int record : records) {
        for (std::size_t r = 0; r < rows.size() && !row; ++r) {
            if (rows[r].record == record) {
                row = static_cast<int>(r);
            }
        }
    }
    // A bouquet found by the records the step wrote: what it put back is selected as on the
    // bouquet on screen, if it was shown before (showing it now replaces that entry).
    std::optional<std::vector<BouquetItem>> shownBefore;
    if (!same && !back && row) {
        const BouquetRecord& found = rows[static_cast<std::size_t>(*row)];
        const auto last = lastShown_.find(found.record);
        if (last != lastShown_.end() && last->second.first == found.name) {
            shownBefore = last->second.second;
        }
    }
    if (!row) {
        row = std::min(rowBefore, static_cast<int>(rows.size()) - 1);
    }
    nameDialog_->reject(); // its bouquet may have moved back or gone
    listModel_->reload();
    emit bouquetCountChanged(listModel_->rowCount());
    selectRow(row && *row >= 0 ? row : std::nullopt);
    if (same) {
        selectItemsAdded(itemsBefore);
    } else if (shownBefore) {
        selectItemsAdded(*shownBefore);
    }
}

// Items a step put back into the bouquet on screen are selected, as after the edit itself.
void BouquetPanel::selectItemsAdded(const std::vector<BouquetItem>& before) {
    const std::vector<int> added = itemsAdded(before, contentsModel_->items());
    contentsView_->selectPositions(added);
    if (!added.empty()) {
        contentsView_->scrollTo(contentsModel_->index(added.front(), 0));
        contentsView_->setFocus(); // Delete or Ctrl+X acts on them, not on the bouquet
    }
}

void BouquetPanel::selectListChange(const ListChange& change) {
    if (!change.written) {
        return;
    }
    selectRow(change.select);
    listView_->setFocus();
}

void BouquetPanel::showContents() {
    const int row = selectedRow();
    shown_ = editor_.idOfRow(row);
    std::vector<BouquetItem> items = row >= 0 ? editor_.items(row) : std::vector<BouquetItem>{};
    if (row >= 0) {
        const BouquetRecord& shown = editor_.rows()[static_cast<std::size_t>(row)];
        lastShown_[shown.record] = {shown.name, items};
    }
    std::vector<bool> repeats;
    for (const auto& first : firstItemsNaming(document_.workspace(), items)) {
        repeats.push_back(first.has_value());
    }
    contentsView_->removeDuplicatesAction()->setEnabled(
        std::find(repeats.begin(), repeats.end(), true) != repeats.end());
    contentsModel_->setItems(std::move(items), std::move(repeats));
    emit itemCountChanged(contentsModel_->rowCount());
}

void BouquetPanel::selectContentsChange(const ContentsChange& change) {
    if (!change.written) {
        return;
    }
    contentsView_->selectPositions(change.select ? std::vector<int>{*change.select}
                                                 : std::vector<int>{});
    if (change.select) {
        contentsView_->scrollTo(contentsModel_->index(*change.select, 0));
    }
    contentsView_->setFocus();
}

void BouquetPanel::dropServices(const std::vector<std::uint32_t>& offsets,
                                std::optional<int> beforeItem) {
    // The payload names services by record offset; each is checked against this database.
    std::vector<std::uint32_t> rows;
    for (const std::uint32_t offset : offsets) {
        if (const auto row = document_.workspace().services().findByOffset(offset)) {
            rows.push_back(static_cast<std::uint32_t>(*row));
        }
    }
    const std::size_t before = contentsModel_->items().size();
    const ContentsChange change = editor_.dropServices(shownRow(), rows, beforeItem);
    selectContentsChange(change);
    tellAlreadyHeld(change, contentsModel_->items().size() - before);
}

// The receiver takes a service twice, so it goes in; the note says where it already was.
void BouquetPanel::tellAlreadyHeld(const ContentsChange& change, std::size_t added) {
    if (!change.written || !change.select || added == 0) {
        return;
    }
    std::vector<int> positions;
    for (std::size_t i = 0; i < added; ++i) {
        positions.push_back(*change.select - static_cast<int>(added - 1 - i));
    }
    QStringList numbers;
    for (const auto& at :
         itemsAlreadyNaming(document_.workspace(), contentsModel_->items(), positions)) {
        if (at && !numbers.contains(QString::number(*at + 1))) {
            numbers << QString::number(*at + 1);
        }
    }
    if (numbers.size() == 1) {
        emit note("Already in this bouquet at item " + numbers.front());
    } else if (!numbers.empty()) {
        emit note("Already in this bouquet at items " + numbers.join(", "));
    }
}

void BouquetPanel::removeDuplicateItems() {
    const std::size_t before = contentsModel_->items().size();
    const ContentsChange change = editor_.removeDuplicateItems(shownRow());
    if (!change.written) {
        emit note("No item of this bouquet repeats an earlier one");
        return;
    }
    selectContentsChange(change);
    const std::size_t removed = before - contentsModel_->items().size();
    emit note(QString("%1 duplicate %2 removed").arg(removed).arg(removed == 1 ? "item" : "items"));
}

void BouquetPanel::showItemTip(int position) {
    if (position >= contentsModel_->rowCount()) {
        position = -1;
    }
    tip_.hover(contentsView_->viewport(), position, [&] {
        const auto& item = contentsModel_->items()[static_cast<std::size_t>(position)];
        return DetailsTip::Content{bouquetDetailsTitle,
                                   QString::fromStdString(bouquetItemDetails(item))};
    });
}

} // namespace tavrino::app
