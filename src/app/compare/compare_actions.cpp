#include "app/compare/compare_actions.h"

#include "app/busy_cursor.h"
#include "app/compare/compare_window.h"
#include "app/screen_fit.h"
#include "app/user_dialogs.h"
#include "database/channel_file.h"

#include <QDir>
#include <QMenu>
#include <set>

namespace tavrino::app {
namespace {

QString counted(std::size_t n, const char* noun) {
    return QString("%1 %2%3").arg(n).arg(noun).arg(n == 1 ? "" : "s");
}

// An item's place reads "<bouquet> #<position>".
std::string bouquetOfItem(const std::string& where) {
    const auto cut = where.rfind(" #");
    return cut == std::string::npos ? where : where.substr(0, cut);
}

} // namespace

QString receiveSummary(const Comparison& comparison) {
    // Bouquets and satellites count once however many of their items, transponders or
    // antenna settings differ.
    std::set<std::string> bouquets;
    std::set<std::string> satellites;
    for (const DiffRow& row : comparison.rows()) {
        switch (row.area) {
        case DiffArea::Service:
            break;
        case DiffArea::Bouquet:
            bouquets.insert(row.name);
            break;
        case DiffArea::Item:
            bouquets.insert(bouquetOfItem(row.where));
            break;
        case DiffArea::Satellite:
        case DiffArea::Transponder:
        case DiffArea::Antenna:
            if (!row.name.empty()) { // the site's own settings name no satellite
                // A transponder's place goes on after its satellite's position.
                satellites.insert(row.where.substr(0, row.where.find(' ')) + " " + row.name);
            }
            break;
        }
    }
    if (comparison.same()) {
        return "Received: the same lists as before";
    }
    // Short enough to be read whole beside the counters on a 1024-pixel screen.
    return QString("Received: %1, %2, %3 differ from before")
        .arg(counted(comparison.count(DiffArea::Service), "service"),
             counted(bouquets.size(), "bouquet"), counted(satellites.size(), "satellite"));
}

CompareActions::CompareActions(Document& document, UserDialogs& dialogs, QWidget* window)
    : QObject(window), document_(document), dialogs_(dialogs), parent_(window) {
    setObjectName("compareActions");
}

CompareActions::~CompareActions() {
    delete window_;
}

void CompareActions::addMenuEntries(QMenu& file) {
    folderEntry_ = file.addAction("&Compare With Folder...");
    folderEntry_->setObjectName("compareFolderAction");
    receiveEntry_ = file.addAction("Compare &With Lists Before Receive");
    receiveEntry_->setObjectName("compareReceiveAction");
    connect(folderEntry_, &QAction::triggered, this,
            qOverload<>(&CompareActions::compareWithFolder));
    connect(receiveEntry_, &QAction::triggered, this, &CompareActions::showReceiveComparison);
    refreshEntries();
}

void CompareActions::compareWithFolder() {
    if (!document_.workspace().channelLoaded()) {
        return;
    }
    const auto chosen = dialogs_.chooseFolderToCompare(startFolder_ ? startFolder_() : QString());
    if (chosen) {
        compareWithFolder(chosen->parent_path());
    }
}

bool CompareActions::compareWithFolder(const std::filesystem::path& folder) {
    auto before = std::make_shared<Workspace>(document_.workspace().codePage());
    OpenResult result;
    {
        const BusyCursor busy;
        result = before->openFolderReadOnly(folder);
    }
    if (result.status == OpenResult::Status::Refused) {
        dialogs_.tell(result.problem->notice());
        return false;
    }
    if (!result.opened()) {
        dialogs_.tell(limitNotice((folder / channelFileName).string() + ": no such file !!!"));
        return false;
    }
    const QString shownFolder = QDir::toNativeSeparators(QString::fromStdString(folder.string()));
    show("Compare With Folder - " + shownFolder, std::move(before));
    QStringList missing;
    for (const char* name : {antennaFileName, dvbsFileName}) {
        std::error_code error;
        if (!std::filesystem::exists(folder / name, error)) {
            missing << QString("%1 has no %2; it counts as empty.").arg(shownFolder, name);
        }
    }
    window_->setNote(missing.join("\n"));
    return true;
}

std::shared_ptr<const Workspace> CompareActions::copyOpenLists() const {
    const Workspace& open = document_.workspace();
    if (!open.channelLoaded()) {
        return nullptr;
    }
    auto copy = std::make_shared<Workspace>(open.codePage());
    StagedFiles lists;
    lists.result.status = OpenResult::Status::Opened;
    lists.files = open.files();
    lists.services = open.services();
    copy->adoptStaged(std::move(lists));
    return copy;
}

QString CompareActions::receiveOpened(std::shared_ptr<const Workspace> before) {
    beforeReceive_ = std::move(before);
    refreshEntries();
    if (!beforeReceive_) {
        return {};
    }
    const BusyCursor busy;
    return receiveSummary(compareWorkspaces(*beforeReceive_, document_.workspace()));
}

void CompareActions::showReceiveComparison() {
    if (beforeReceive_) {
        show("Compare With Lists Before Receive", beforeReceive_);
    }
}

void CompareActions::show(const QString& title, std::shared_ptr<const Workspace> before) {
    closeWindow(); // one comparison at a time
    // No parent: the main window may come in front of it. Closed and deleted with the actions.
    window_ = new CompareWindow(title, std::move(before), document_.workspace(), dialogs_, nullptr);
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->setCsvFolder(startFolder_ ? startFolder_() : QString());
    connect(window_, &CompareWindow::serviceActivated, this, &CompareActions::locateRequested);
    fitToScreen(window_);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void CompareActions::listsChanged(const Change& change) {
    if (change.databaseReplaced) { // a receive keeps its copy once this has run
        if (window_ && beforeReceive_ && window_->before() == beforeReceive_) {
            closeWindow(); // it no longer applies
        }
        beforeReceive_.reset();
    }
    if (window_) {
        window_->listsChanged(change);
    }
    refreshEntries();
}

void CompareActions::refreshEntries() {
    if (folderEntry_) {
        folderEntry_->setEnabled(document_.workspace().channelLoaded());
        receiveEntry_->setEnabled(beforeReceive_ != nullptr);
    }
}

void CompareActions::closeWindow() {
    if (window_) {
        window_->close();
    }
}

} // namespace tavrino::app
