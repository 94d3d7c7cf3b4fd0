#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/busy_cursor.h"
#include "app/compare/compare_actions.h"
#include "app/keyboard_context_menu.h"
#include "app/options/options_tab.h"
#include "app/options/profile_book.h"
#include "app/organize_list/details_tip.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/status_panels.h"
#include "app/organize_sat/organize_sat_tab.h"
#include "app/organize_sat/satellite_importer.h"
#include "app/receiver_link.h"
#include "app/recent_folders.h"
#include "app/reference_actions.h"
#include "app/screen_fit.h"
#include "app/twips.h"
#include "app/user_dialogs.h"
#include "widgets/ctooltip.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

namespace tavrino::app {

MainWindow::MainWindow(UserDialogs& dialogs, QString dataFolder, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), dataFolder_(std::move(dataFolder)),
      document_(dialogs), tooltip_(new widgets::CTooltip(this)),
      detailsTip_(std::make_unique<DetailsTip>(*tooltip_)),
      profiles_(new ProfileBook(dialogs, dataFolder_, this)), tabs_(new QTabWidget(this)),
      organizeList_(new OrganizeListTab(document_, dialogs, *detailsTip_, *profiles_, this)),
      organizeSat_(new OrganizeSatTab(document_, dialogs, dataFolder_, this)),
      status_(new StatusPanels(this)), recent_(std::make_unique<RecentFolders>(dataFolder_)) {
    showTitle({});
    tooltip_->setObjectName("detailsTooltip");
    tabs_->setObjectName("tabs");
    profiles_->setObjectName("profileBook");
    setWindowIcon(QIcon(":/tavrino.png"));
    tooltip_->setStyle(1);
    tooltip_->setIcon(widgets::CTooltip::InformationIcon);

    tabs_->addTab(organizeList_, "Organize List");
    tabs_->addTab(scrollable(organizeSat_), "Organize Sat && TP"); // its editors are tall
    options_ = new OptionsTab(*profiles_, dialogs, QDir(dataFolder_).filePath("Tavrino.ini"), this);
    tabs_->addTab(options_, "Options");
    setCentralWidget(tabs_);
    setStatusBar(status_);
    reference_ = new ReferenceActions(document_, dialogs_, this);
    reference_->setStartFolder([this] { return startFolder(); });
    connect(reference_, &ReferenceActions::note, status_,
            [this](const QString& text) { status_->showNote(text, 8000); });
    buildCompare();
    buildMenus();

    // 13100 x 9000 twips is the smallest window that still shows everything; a smaller
    // screen gets the whole window, with its lists shorter.
    const QSize room = roomOnScreen(this).size();
    setMinimumSize(fitWithin({twipsToPixels(13100), twipsToPixels(9000)}, room));
    resize(fitWithin({twipsToPixels(15600), twipsToPixels(10200)}, room));
    organizeList_->shareListWidths(width());

    // The one way the window learns of changes: the tabs and their models first, then Undo,
    // Redo, the title and the counters.
    document_.listen([this](const Change& change) { emit changed(change); });
    connect(this, &MainWindow::changed, organizeList_, &OrganizeListTab::showChange);
    connect(this, &MainWindow::changed, organizeSat_, &OrganizeSatTab::showChange);
    connect(this, &MainWindow::changed, this, &MainWindow::showChange);
    connect(this, &MainWindow::changed, compare_, &CompareActions::listsChanged);

    connect(organizeList_, &OrganizeListTab::openRequested, this, &MainWindow::openFiles);
    connect(organizeList_, &OrganizeListTab::saveRequested, this, &MainWindow::saveFiles);
    connect(organizeList_, &OrganizeListTab::bouquetCountChanged, status_,
            &StatusPanels::setBouquets);
    connect(organizeList_, &OrganizeListTab::itemCountChanged, status_,
            &StatusPanels::setItemsInBouquet);
    connect(organizeList_, &OrganizeListTab::note, status_,
            [this](const QString& text) { status_->showNote(text, 8000); });
    connect(organizeSat_, &OrganizeSatTab::openSatelliteFilesRequested, this,
            &MainWindow::openSatelliteFiles);
    connect(organizeSat_, &OrganizeSatTab::saveSatelliteFilesRequested, this,
            &MainWindow::saveSatelliteFiles);
    organizeSat_->setStartFolder([this] { return startFolder(); });
    buildLink();
    tabs_->setCurrentIndex(0);
}

MainWindow::~MainWindow() {
    link_->stop(); // its worker may be waiting for this window
}

void MainWindow::buildCompare() {
    compare_ = new CompareActions(document_, dialogs_, this);
    compare_->setStartFolder([this] { return startFolder(); });
    connect(compare_, &CompareActions::locateRequested, this, [this](std::uint32_t row) {
        selectTab(0);
        organizeList_->locateService(row);
    });
    connect(status_, &StatusPanels::noteLinkActivated, compare_,
            &CompareActions::showReceiveComparison);
}

void MainWindow::buildLink() {
    link_ = std::make_unique<ReceiverLink>(dialogs_, dataFolder_.toStdString(), this);
    link_->setObjectName("receiverLink");
    link_->setProfileSource([this] { return options_->typedProfile(); });
    link_->setBackupSource([this] { return options_->backupBeforeSend(); });
    link_->setPreviewSource([this] { return options_->previewBeforeSend(); });
    connect(organizeList_, &OrganizeListTab::receiveRequested, this, &MainWindow::receiveFromOrvix);
    connect(organizeList_, &OrganizeListTab::sendRequested, this, &MainWindow::sendToOrvix);
    connect(options_, &OptionsTab::testConnectionRequested, this,
            [this] { link_->telnet(TelnetGoal::TestConnection); });
    connect(options_, &OptionsTab::testLoginRequested, this,
            [this] { link_->telnet(TelnetGoal::TestLogin); });
    connect(options_, &OptionsTab::restartRequested, this,
            [this] { link_->telnet(TelnetGoal::Reload); });
    connect(link_.get(), &ReceiverLink::busyChanged, this, &MainWindow::setLinkBusy);
    connect(link_.get(), &ReceiverLink::filesReceived, this, &MainWindow::openReceived);
    connect(link_.get(), &ReceiverLink::statusMessage, this,
            [this](const QString& text) { status_->showNote(text, 8000); });
    connect(link_.get(), &ReceiverLink::transcriptChanged, this,
            [this](bool cleared, const QByteArray& added) {
                options_->showTranscript(
                    cleared, QString::fromStdString(
                                 document_.workspace().codePage().toUtf8(added.toStdString())));
            });

    connect(profiles_, &ProfileBook::profileSelected, this, &MainWindow::showProfileStatus);
    connect(profiles_, &ProfileBook::colorChanged, organizeList_, &OrganizeListTab::setListColor);
    const std::vector<Notice> problems = profiles_->load();
    // Told once the window is up, not over an empty screen.
    QTimer::singleShot(0, this, [this, problems] {
        for (const Notice& notice : problems) {
            dialogs_.tell(notice);
        }
    });
}

void MainWindow::showProfileStatus() {
    if (const ConnectionProfile* p = profiles_->active()) {
        status_->showProfile(QString::fromStdString(p->profileName),
                             QString::fromStdString(p->address), p->ftpPort, p->telnetPort);
    }
}

void MainWindow::setLinkBusy(bool busy) {
    receive_->setEnabled(!busy);
    send_->setEnabled(!busy);
    organizeList_->setTransferEnabled(!busy);
    options_->setLinkBusy(busy);
}

void MainWindow::receiveFromOrvix() {
    if (link_->busy() || !options_->typedProfileUsable() ||
        !settleUnsavedEdits("receiving files from the Orvix")) {
        return;
    }
    const Workspace& ws = document_.workspace();
    receiveMark_ = ws.mark();
    link_->receive(ws.files().targetVersion, ws.codePage());
}

void MainWindow::openReceived(const std::shared_ptr<StagedFiles>& staged,
                              const std::filesystem::path& stagingFolder) {
    const EditMark now = document_.workspace().mark();
    const bool editedMeanwhile =
        now.generation != receiveMark_.generation || now.step != receiveMark_.step;
    if (editedMeanwhile && !settleUnsavedEdits("opening the files received from the Orvix")) {
        status_->showNote(QString("The received files were not opened; they are in %1")
                              .arg(QString::fromStdString(stagingFolder.string())),
                          8000);
        return;
    }
    auto before = compare_->copyOpenLists();
    OpenResult result;
    {
        const BusyCursor busy;
        result = document_.adoptStaged(std::move(*staged));
    }
    if (showOpened(result)) {
        showTitle("received from the Orvix");
        const QString differ = compare_->receiveOpened(std::move(before));
        if (differ.isEmpty()) {
            status_->showNote("Received from the Orvix", 8000);
        } else {
            status_->showNote(differ, 30000, "Show");
        }
    }
}

void MainWindow::sendToOrvix() {
    if (!link_->busy()) {
        link_->send(document_.workspace().files(), document_.workspace().codePage());
    }
}

void MainWindow::buildMenus() {
    // Mnemonics underline a letter and leave the captions as they read.
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open");
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] {
        selectTab(0);
        openFiles();
    });
    QAction* save = file->addAction("&Save");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] {
        selectTab(0);
        saveFiles();
    });
    reference_->addMenuEntries(*file);
    file->addSeparator();
    compare_->addMenuEntries(*file);
    file->addSeparator();
    recentMenu_ = file->addMenu("&Recent Folders");
    recentMenu_->setObjectName("recentMenu");
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    fillRecentMenu();
    connect(file->addAction("Open &Backup Folder"), &QAction::triggered, this, [this] {
        selectTab(0);
        const QString backups = QDir(dataFolder_).filePath("backups");
        QDir().mkpath(backups);
        openFilesFrom(backups);
    });
    file->addSeparator();
    QAction* exit = file->addAction("E&xit");
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    buildEditMenu();

    connect(menuBar()->addAction("&Organize List"), &QAction::triggered, this,
            [this] { selectTab(0); });
    receive_ = menuBar()->addAction("&Receive Files from Orvix");
    receive_->setObjectName("receiveAction");
    send_ = menuBar()->addAction("&Send Files to Orvix");
    send_->setObjectName("sendAction");
    connect(receive_, &QAction::triggered, this, &MainWindow::receiveFromOrvix);
    connect(send_, &QAction::triggered, this, &MainWindow::sendToOrvix);
    connect(menuBar()->addAction("Organize Sat && &TP"), &QAction::triggered, this,
            [this] { selectTab(1); });
    connect(menuBar()->addAction("O&ptions"), &QAction::triggered, this, [this] { selectTab(2); });
    connect(menuBar()->addAction("&About"), &QAction::triggered, this, &MainWindow::showAbout);
    // F10 opens the first menu, as in most desktop programs; Shift+F10 the focused list's
    // context menu, as the Menu key does (keyboards without one need it).
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().first()); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this), &QShortcut::activated, this,
            [] { openContextMenuByKeyboard(QApplication::focusWidget()); });
}

void MainWindow::buildEditMenu() {
    QMenu* edit = menuBar()->addMenu("&Edit");
    undo_ = edit->addAction("Undo");
    undo_->setObjectName("undoAction");
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = edit->addAction("Redo");
    redo_->setObjectName("redoAction");
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(undo_, &QAction::triggered, this, [this] { undoOrRedo(true); });
    connect(redo_, &QAction::triggered, this, [this] { undoOrRedo(false); });
    refreshEditActions();
}

void MainWindow::showChange(const Change& change) {
    refreshEditActions();
    if (change.databaseReplaced) {
        detailsTip_->reset();
    }
    if (change.databaseReplaced || change.servicesRebuilt) {
        status_->setTotalServices(static_cast<int>(document_.workspace().services().size()));
    }
}

void MainWindow::refreshEditActions() {
    const EditHistory& history = document_.workspace().history();
    undo_->setEnabled(history.canUndo());
    redo_->setEnabled(history.canRedo());
    undo_->setText(history.canUndo()
                       ? QString("Undo %1").arg(QString::fromStdString(history.undoName()))
                       : QString("Undo"));
    redo_->setText(history.canRedo()
                       ? QString("Redo %1").arg(QString::fromStdString(history.redoName()))
                       : QString("Redo"));
    setWindowModified(document_.workspace().modified());
}

void MainWindow::undoOrRedo(bool undo) {
    if (const auto change = undo ? document_.undo() : document_.redo()) {
        status_->showNote(QString("%1 %2").arg(undo ? "Undone:" : "Redone:",
                                               QString::fromStdString(change->name)),
                          4000);
    }
}

void MainWindow::selectTab(int index) {
    tabs_->setCurrentIndex(index);
}

void MainWindow::showAbout() {
    if (about_ == nullptr) {
        about_ = new AboutDialog(this);
        about_->setAttribute(Qt::WA_DeleteOnClose);
        fitToScreen(about_);
    }
    about_->show();
    about_->raise();
}

void MainWindow::fillRecentMenu() {
    recentMenu_->clear();
    for (const QString& folder : recent_->folders()) {
        // "&" would be taken for a mnemonic marker.
        QAction* entry =
            recentMenu_->addAction(QDir::toNativeSeparators(folder).replace("&", "&&"));
        entry->setEnabled(QFileInfo(QDir(folder).filePath(channelFileName)).isFile());
        connect(entry, &QAction::triggered, this, [this, folder] { openRecent(folder); });
    }
    recentMenu_->setEnabled(!recent_->folders().isEmpty());
}

void MainWindow::openRecent(const QString& folder) {
    selectTab(0);
    if (!QFileInfo(QDir(folder).filePath(channelFileName)).isFile()) {
        dialogs_.tell(limitNotice(QString("%1 holds no all_channel.dat any more !!!")
                                      .arg(QDir::toNativeSeparators(folder))
                                      .toStdString()));
        fillRecentMenu();
        return;
    }
    if (settleUnsavedEdits("opening other files")) {
        openFolder(folder.toStdString());
    }
}

void MainWindow::openFiles() {
    openFilesFrom(startFolder());
}

QString MainWindow::startFolder() const {
    return lastFolder_.isEmpty() ? dataFolder_ : lastFolder_;
}

void MainWindow::folderShown(const std::filesystem::path& folder) {
    lastFolder_ = QString::fromStdString(folder.string());
    recent_->remember(lastFolder_);
    fillRecentMenu();
    showTitle(QDir::toNativeSeparators(lastFolder_));
}

void MainWindow::showTitle(const QString& source) {
    // The caption, then where the lists come from; "[*]" is where Qt marks unsaved edits.
    setWindowTitle(source.isEmpty() ? QString("%1[*]").arg(windowCaption)
                                    : QString("%1 - %2[*]").arg(windowCaption, source));
}

void MainWindow::openFilesFrom(const QString& folder) {
    if (!settleUnsavedEdits("opening other files")) {
        return;
    }
    const auto chosen = dialogs_.chooseChannelFile(folder);
    if (!chosen) {
        return;
    }
    openFolder(chosen->parent_path());
}

bool MainWindow::openFolder(const std::filesystem::path& folder) {
    OpenResult result;
    {
        const BusyCursor busy;
        result = document_.openFolder(folder);
    }
    if (!showOpened(result)) {
        return false;
    }
    folderShown(folder);
    return true;
}

bool MainWindow::saveFiles() {
    if (!document_.workspace().channelLoaded()) {
        return false;
    }
    const auto folder = dialogs_.chooseSaveFolder(startFolder());
    if (!folder) {
        return false;
    }
    return saveToFolder(*folder);
}

bool MainWindow::saveToFolder(const std::filesystem::path& folder) {
    if (!saveWithPolicy(SaveScope::AllFiles, folder)) {
        return false;
    }
    folderShown(folder);
    return true;
}

bool MainWindow::saveWithPolicy(SaveScope scope, const std::filesystem::path& folder) {
    const SaveOptions options{std::filesystem::path(dataFolder_.toStdString()) / "backups"};
    SaveResult result;
    {
        const BusyCursor busy;
        result = document_.save(scope, folder, options, dialogs_);
    }
    tellNote(result.note);
    if (result.problem) {
        dialogs_.tell(result.problem->notice());
        return false;
    }
    const QString where = QString::fromStdString(folder.string());
    if (!result.ok()) { // a question was answered No
        status_->showNote(QString("Nothing was saved to %1").arg(where), 8000);
        return false;
    }
    QString text = scope == SaveScope::AllFiles
                       ? QString("Saved to %1").arg(where)
                       : QString("Saved DVBS.dat and antenna_list.dat to %1").arg(where);
    if (result.backup) {
        text += QString(" (the files it replaced are in %1)")
                    .arg(QString::fromStdString(result.backup->string()));
    }
    if (result.keptFromBefore) { // first, where a narrow status bar still shows it
        text = QString::fromStdString(*result.keptFromBefore) + ". " + text;
    }
    status_->showNote(text, result.keptFromBefore ? 20000 : 8000);
    return true;
}

bool MainWindow::settleUnsavedEdits(const QString& beforeWhat) {
    if (!document_.workspace().modified()) {
        return true;
    }
    switch (dialogs_.askUnsavedChanges(beforeWhat)) {
    case UserDialogs::UnsavedChoice::Save:
        return saveFiles();
    case UserDialogs::UnsavedChoice::Discard:
        return true;
    case UserDialogs::UnsavedChoice::Cancel:
        break;
    }
    return false;
}

void MainWindow::openSatelliteFiles() {
    const auto antenna = dialogs_.chooseAntennaFile(startFolder());
    if (!antenna || antenna->filename() != antennaFileName) {
        return;
    }
    const auto dvbs =
        dialogs_.chooseDvbsFile(QString::fromStdString(antenna->parent_path().string()));
    if (!dvbs || dvbs->filename() != dvbsFileName) {
        return;
    }
    OpenResult result;
    {
        const BusyCursor busy;
        result = document_.loadSatelliteFiles(*antenna, *dvbs);
    }
    tellNote(result.note);
    if (result.status == OpenResult::Status::Refused) {
        dialogs_.tell(result.problem->notice());
    }
}

void MainWindow::saveSatelliteFiles() {
    if (const auto folder = dialogs_.chooseSaveFolder(startFolder())) {
        saveWithPolicy(SaveScope::SatelliteFiles, *folder);
    }
}

bool MainWindow::showOpened(const OpenResult& result) {
    tellNote(result.note);
    if (result.status == OpenResult::Status::Refused) {
        dialogs_.tell(result.problem->notice());
        return false;
    }
    if (!result.opened()) {
        return false;
    }
    if (result.keptFromBefore) {
        status_->showNote(QString::fromStdString(*result.keptFromBefore), 20000);
    }
    return true;
}

void MainWindow::tellNote(const std::optional<std::string>& note) {
    if (note) {
        dialogs_.tell({"Tavrino", *note, NoticeIcon::Information});
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (link_->stoppingForClose() && link_->busy()) {
        event->ignore(); // a close already waits for the transfer to end
        return;
    }
    if (link_->busy() && link_->previewShown()) {
        link_->stopForClose(); // nothing went up yet: closing is Cancel
    } else if (link_->busy()) {
        // Nothing the transfer says or brings may land under the question.
        link_->holdOutcome();
        const bool stop = dialogs_.ask(confirmQuestion(
            "A transfer with the Orvix is still running. Stop it and close Tavrino?"));
        if (!stop) {
            link_->releaseOutcome();
            event->ignore();
            return;
        }
        link_->stopForClose();
    }
    if (!settleUnsavedEdits("closing")) {
        event->ignore();
        return;
    }
    link_->stop();
    tooltip_->Destroy();
    if (about_ != nullptr) {
        about_->close();
    }
    compare_->closeWindow();
    event->accept();
}

} // namespace tavrino::app
