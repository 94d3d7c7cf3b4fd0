#include "app/organize_list/organize_list_tab.h"

#include "app/busy_cursor.h"
#include "app/organize_list/bouquet_models.h"
#include "app/organize_list/bouquet_panel.h"
#include "app/organize_list/bouquet_views.h"
#include "app/organize_list/details_tip.h"
#include "app/organize_list/profile_picker.h"
#include "app/organize_list/service_edit_dialog.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "app/user_dialogs.h"
#include "reference/duplicate_services.h"
#include "services/service_details.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

const char* const allSatellites = "- All Satellites -";
const char* const allTypes = "- All Types -";

} // namespace

OrganizeListTab::OrganizeListTab(Document& document, UserDialogs& dialogs, DetailsTip& tip,
                                 ProfileBook& profiles, QWidget* parent)
    : QWidget(parent), document_(document), tip_(tip),
      serviceModel_(new ServiceModel(document.workspace(), this)),
      serviceView_(new ServiceListView(this)), satelliteFilter_(new QComboBox(this)),
      typeFilter_(new QComboBox(this)), duplicatesOnly_(new QCheckBox("Duplicates only", this)),
      searchBox_(new QLineEdit(this)), openButton_(new QPushButton("Open Files", this)),
      saveButton_(new QPushButton("Save Files", this)),
      clipboardButton_(new QPushButton("Clipboard", this)),
      receiveButton_(new QPushButton("Receive from Orvix", this)),
      sendButton_(new QPushButton("Send to Orvix", this)),
      profilePicker_(new ProfilePicker(profiles, this)), splitter_(new QSplitter(this)),
      bouquets_(new BouquetPanel(document, dialogs, tip, this)),
      editDialog_(new ServiceEditDialog(document, dialogs, this)) {
    setObjectName("organizeListTab");
    serviceView_->setModel(serviceModel_);

    satelliteFilter_->setObjectName("satelliteFilter");
    satelliteFilter_->addItem(allSatellites);
    satelliteFilter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    satelliteFilter_->setMinimumContentsLength(18);
    typeFilter_->setObjectName("typeFilter");
    typeFilter_->addItems({allTypes, "TV", "Radio"});
    duplicatesOnly_->setObjectName("duplicatesOnly");
    duplicatesOnly_->setToolTip("Show only services that are the same channel as another, "
                                "each group together, the largest first");
    searchBox_->setObjectName("searchBox");
    searchBox_->setToolTip("Enter (part of) ServiceName to Filter");
    searchBox_->setPlaceholderText("Service name");
    searchBox_->setClearButtonEnabled(true);
    clipboardButton_->setToolTip("Copy the rows after the selected service to the clipboard");
    openButton_->setObjectName("openButton");
    saveButton_->setObjectName("saveButton");
    clipboardButton_->setObjectName("clipboardButton");
    receiveButton_->setObjectName("receiveButton");
    sendButton_->setObjectName("sendButton");

    auto* filters = new QHBoxLayout;
    filters->addWidget(satelliteFilter_, 2);
    filters->addWidget(typeFilter_, 1);
    filters->addWidget(duplicatesOnly_);
    auto* searchLabel = new QLabel("Find:", this);
    searchLabel->setBuddy(searchBox_);
    filters->addWidget(searchLabel);
    filters->addWidget(searchBox_, 2);

    // The three lists share the width as 1/2.038 : 1/3.82264 : 1/4.6682 of the window.
    splitter_->setObjectName("listSplitter");
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(serviceView_);
    splitter_->addWidget(bouquets_->contentsView());
    splitter_->addWidget(bouquets_->listView());
    splitter_->setStretchFactor(0, 49);
    splitter_->setStretchFactor(1, 26);
    splitter_->setStretchFactor(2, 21);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(receiveButton_);
    buttons->addWidget(sendButton_);
    buttons->addStretch(1);
    buttons->addWidget(profilePicker_, 1);
    buttons->addWidget(clipboardButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(splitter_, 1);
    layout->addLayout(buttons);

    // Tab follows the screen: filters, the three lists left to right, then the buttons.
    QWidget* order[] = {satelliteFilter_,      typeFilter_,
                        duplicatesOnly_,       searchBox_,
                        serviceView_,          bouquets_->contentsView(),
                        bouquets_->listView(), openButton_,
                        saveButton_,           receiveButton_,
                        sendButton_,           profilePicker_->dropDown(),
                        clipboardButton_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        searchBox_->setFocus();
        searchBox_->selectAll();
    });
    connect(satelliteFilter_, &QComboBox::currentIndexChanged, this, &OrganizeListTab::applyFilter);
    connect(typeFilter_, &QComboBox::currentIndexChanged, this, &OrganizeListTab::applyFilter);
    connect(duplicatesOnly_, &QCheckBox::toggled, this, &OrganizeListTab::applyFilter);
    connect(searchBox_, &QLineEdit::textChanged, this, &OrganizeListTab::searchByName);
    connect(serviceView_, &ServiceListView::headerClicked, this, &OrganizeListTab::sortByColumn);
    connect(serviceView_, &ServiceListView::flagCommand, this, &OrganizeListTab::changeFlag);
    connect(serviceView_->editAction(), &QAction::triggered, this,
            &OrganizeListTab::editSelectedService);
    // After the view has finished with the click, since the dialog takes the focus.
    connect(serviceView_, &QAbstractItemView::doubleClicked, this,
            &OrganizeListTab::editSelectedService, Qt::QueuedConnection);
    connect(editDialog_, &ServiceEditDialog::serviceEdited, this, &OrganizeListTab::serviceEdited);
    connect(serviceView_, &ServiceListView::hoveredRowChanged, this,
            &OrganizeListTab::showServiceTip);
    connect(openButton_, &QPushButton::clicked, this, &OrganizeListTab::openRequested);
    connect(saveButton_, &QPushButton::clicked, this, &OrganizeListTab::saveRequested);
    connect(receiveButton_, &QPushButton::clicked, this, &OrganizeListTab::receiveRequested);
    connect(sendButton_, &QPushButton::clicked, this, &OrganizeListTab::sendRequested);
    connect(clipboardButton_, &QPushButton::clicked, this, &OrganizeListTab::copyToClipboard);
    connect(bouquets_, &BouquetPanel::bouquetCountChanged, this,
            &OrganizeListTab::bouquetCountChanged);
    connect(bouquets_, &BouquetPanel::itemCountChanged, this, &OrganizeListTab::itemCountChanged);
    connect(bouquets_, &BouquetPanel::locateRequested, this, &OrganizeListTab::locateService);
    connect(bouquets_, &BouquetPanel::note, this, &OrganizeListTab::note);
}

void OrganizeListTab::shareListWidths(int windowWidth) {
    splitter_->setSizes({static_cast<int>(windowWidth / 2.038),
                         static_cast<int>(windowWidth / 3.82264),
                         static_cast<int>(windowWidth / 4.6682)});
}

void OrganizeListTab::showChange(const Change& change) {
    editDialog_->closeIfStale();
    if (change.kind == Change::Kind::Save) {
        return;
    }
    if (change.databaseReplaced) {
        databaseReplaced();
        return;
    }
    if (change.servicesRebuilt) {
        serviceModel_->reload();
    } else if (!change.serviceRows.empty()) {
        // An undo or redo selects what it put back; an edit leaves the selection to its caller.
        showRowsChanged(change.serviceRows, change.undoOrRedo());
    }
    bouquets_->showChange(change);
}

void OrganizeListTab::databaseReplaced() {
    editDialog_->closeIfStale();
    loading_ = true;
    {
        const QSignalBlocker quiet(searchBox_); // the old search means nothing here
        searchBox_->clear();
    }
    satelliteFilter_->clear();
    satelliteFilter_->addItem(allSatellites);
    for (const auto& name : workspace().services().satelliteNames()) {
        satelliteFilter_->addItem(QString::fromStdString(workspace().codePage().toUtf8(name)));
    }
    satelliteFilter_->setCurrentIndex(0);
    typeFilter_->setCurrentIndex(0);
    duplicatesOnly_->setChecked(false);
    serviceView_->horizontalHeader()->setSortIndicatorShown(false);
    loading_ = false;
    applyFilter();
    bouquets_->databaseReplaced();
}

void OrganizeListTab::applyFilter() {
    if (loading_) {
        return;
    }
    const BusyCursor busy;
    ServiceFilter filter;
    if (satelliteFilter_->currentIndex() > 0) {
        filter.satelliteBlock = static_cast<std::uint32_t>(satelliteFilter_->currentIndex() - 1);
    }
    if (typeFilter_->currentIndex() > 0) {
        filter.type = typeFilter_->currentIndex() == 1 ? TypeText::TV : TypeText::Radio;
    }
    // Groups are found as the box is ticked or a filter changes, not after each edit: rows
    // must not leave the list while the user works on them.
    std::optional<DuplicateServices> duplicates;
    if (duplicatesOnly_->isChecked()) {
        duplicates = findDuplicateServices(workspace());
        document_.view().setDuplicateGroups(duplicates->groupNumber);
    } else {
        document_.view().setDuplicateGroups(std::nullopt);
    }
    document_.view().applyFilter(workspace().services(), filter);
    serviceView_->horizontalHeader()->setSortIndicatorShown(false);
    serviceModel_->reload();
    // A refilled list starts at its first row and first column.
    serviceView_->scrollToTop();
    serviceView_->horizontalScrollBar()->setValue(0);
    if (duplicates) {
        std::size_t groups = 0; // those shown: the other filters may leave some out
        std::uint32_t last = 0;
        for (const std::uint32_t row : workspace().view().rows()) {
            groups += workspace().view().groupOf(row) != last ? 1 : 0;
            last = workspace().view().groupOf(row);
        }
        emit note(
            groups == 0
                ? QString("No duplicate services")
                : QString("%1 duplicate %2").arg(groups).arg(groups == 1 ? "group" : "groups"));
    }
}

void OrganizeListTab::sortByColumn(int column) {
    if (workspace().view().size() == 0) {
        return;
    }
    const BusyCursor busy;
    std::vector<std::uint32_t> selectedRows;
    for (const int p : serviceView_->selectedPositions()) {
        selectedRows.push_back(workspace().view().tableRow(static_cast<std::size_t>(p)));
    }
    const bool ascending = document_.view().sortByHeaderClick(workspace().services(), column);
    serviceModel_->reload();
    auto* header = serviceView_->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    // The selection follows its services to their new places.
    std::vector<int> positions;
    for (const std::size_t p : workspace().view().positionsOfTableRows(selectedRows)) {
        positions.push_back(static_cast<int>(p));
    }
    serviceView_->selectPositions(positions);
    if (!positions.empty()) {
        serviceView_->scrollTo(serviceModel_->index(positions.front(), 0));
    }
}

void OrganizeListTab::searchByName(const QString& text) {
    const auto found = workspace().view().findByName(workspace().services(), text.toStdString());
    if (!found) {
        return;
    }
    const int position = static_cast<int>(*found);
    serviceView_->selectPositions({position});
    serviceView_->scrollTo(serviceModel_->index(position, 0), QAbstractItemView::PositionAtTop);
}

void OrganizeListTab::changeFlag(FlagCommand command) {
    std::vector<std::uint32_t> rows;
    for (const int p : serviceView_->selectedPositions()) {
        rows.push_back(workspace().view().tableRow(static_cast<std::size_t>(p)));
    }
    if (rows.empty()) {
        return;
    }
    editDialog_->reject(); // a flag command drops the dialog's edits
    document_.changeFlags(rows, command);
}

// Repaints these rows, and selects them when `select`, leaving the list where it is scrolled to.
void OrganizeListTab::showRowsChanged(const std::vector<std::uint32_t>& tableRows, bool select) {
    std::vector<int> positions;
    for (const std::size_t p : workspace().view().positionsOfTableRows(tableRows)) {
        positions.push_back(static_cast<int>(p));
    }
    serviceModel_->rowsEdited(positions);
    if (select) {
        const int scrolled = serviceView_->verticalScrollBar()->value();
        serviceView_->selectPositions(positions);
        serviceView_->verticalScrollBar()->setValue(scrolled);
    }
}

void OrganizeListTab::editSelectedService() {
    const int position = serviceView_->currentSelectedPosition();
    if (position < 0) {
        return;
    }
    editDialog_->openForRow(workspace().view().tableRow(static_cast<std::size_t>(position)));
}

void OrganizeListTab::serviceEdited(const ServiceEditResult& result) {
    if (!result.written || !result.tableRow) {
        return;
    }
    // The edited service stays the one selected, the list where it was scrolled to.
    if (const auto p = workspace().view().positionOfTableRow(*result.tableRow)) {
        const int scrolled = serviceView_->verticalScrollBar()->value();
        serviceView_->selectPositions({static_cast<int>(*p)});
        serviceView_->verticalScrollBar()->setValue(scrolled);
    }
}

void OrganizeListTab::locateService(std::uint32_t tableRow) {
    auto position = workspace().view().positionOfTableRow(tableRow);
    if (!position) {
        {
            // One refill for the three.
            const QSignalBlocker quietSatellites(satelliteFilter_);
            const QSignalBlocker quietTypes(typeFilter_);
            const QSignalBlocker quietDuplicates(duplicatesOnly_);
            satelliteFilter_->setCurrentIndex(0);
            typeFilter_->setCurrentIndex(0);
            duplicatesOnly_->setChecked(false);
        }
        applyFilter();
        position = workspace().view().positionOfTableRow(tableRow);
        if (position) {
            emit note("The service list's filters were cleared to show the service");
        }
    }
    if (!position) {
        return;
    }
    const int p = static_cast<int>(*position);
    serviceView_->selectPositions({p});
    serviceView_->scrollTo(serviceModel_->index(p, 0), QAbstractItemView::PositionAtCenter);
    serviceView_->setFocus();
}

void OrganizeListTab::copyToClipboard() {
    const int position = serviceView_->currentSelectedPosition();
    if (position < 0) {
        return;
    }
    const std::string text = clipboardText(workspace().services(), workspace().view(),
                                           static_cast<std::size_t>(position));
    if (text.empty()) { // whatever the clipboard holds stays there
        emit note("Nothing copied: no rows follow the selected service");
        return;
    }
    QApplication::clipboard()->setText(QString::fromStdString(text));
    const std::size_t rows = std::min(clipboardRowLimit, workspace().view().size() - 1 -
                                                             static_cast<std::size_t>(position));
    emit note(QString("%1 %2 copied to the clipboard").arg(rows).arg(rows == 1 ? "row" : "rows"));
}

void OrganizeListTab::showServiceTip(int position) {
    tip_.hover(serviceView_->viewport(), position, [&] {
        const std::uint32_t row = workspace().view().tableRow(static_cast<std::size_t>(position));
        return DetailsTip::Content{
            channelInfoTitle, QString::fromStdString(channelInfoText(workspace().services(), row))};
    });
}

void OrganizeListTab::setTransferEnabled(bool enabled) {
    receiveButton_->setEnabled(enabled);
    sendButton_->setEnabled(enabled);
}

void OrganizeListTab::setListColor(const QColor& color) {
    serviceModel_->setTextColor(color);
    bouquets_->setTextColor(color);
}

} // namespace tavrino::app
