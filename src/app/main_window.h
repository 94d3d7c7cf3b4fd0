#pragma once

#include "common/version.h"
#include "document/document.h"

#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <memory>

class QMenu;
class QTabWidget;

namespace tavrino::widgets {
class CTooltip;
}

namespace tavrino::app {

class AboutDialog;
class CompareActions;
class RecentFolders;
class ReferenceActions;
class DetailsTip;
class OptionsTab;
class OrganizeListTab;
class OrganizeSatTab;
class ProfileBook;
class ReceiverLink;
class StatusPanels;
class UserDialogs;

inline constexpr const char* windowCaption = "Tavrino v." TAVRINO_VERSION;

// Owns the document and assembles the tabs, menus and status bar; the tabs do the work. Every
// step that closes in the document reaches the window once, as changed().
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(UserDialogs& dialogs, QString dataFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    Document& document() { return document_; }
    const QString& dataFolder() const { return dataFolder_; }
    OrganizeListTab* organizeListTab() const { return organizeList_; }
    OrganizeSatTab* organizeSatTab() const { return organizeSat_; }
    ProfileBook& profiles() { return *profiles_; }
    ReceiverLink& receiverLink() { return *link_; }
    QTabWidget* tabs() const { return tabs_; }
    QAction* undoAction() const { return undo_; }

    // "Open Files" and "Save Files": ask for the place, then open or save there.
    void openFiles();
    // Where the file dialogs start: the folder last opened or saved, else the data folder.
    QString startFolder() const;
    // The open dialog starting in `folder`.
    void openFilesFrom(const QString& folder);
    // Opens a folder picked from "Recent Folders", asking about unsaved edits first.
    void openRecent(const QString& folder);
    bool saveFiles();
    // The same without the dialogs.
    bool openFolder(const std::filesystem::path& folder);
    bool saveToFolder(const std::filesystem::path& folder);

    // "Receive from Orvix" and "Send to Orvix".
    void receiveFromOrvix();
    void sendToOrvix();

signals:
    // What a step changed (an edit, undo, redo, open or save): the tabs, their models, Undo and
    // Redo, the title's modified marker and the status counters follow it.
    void changed(const tavrino::Change& change);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildEditMenu();
    void fillRecentMenu();
    // Undo and redo name the step they would take, and are off when there is none; the title
    // marks unsaved edits; the counters count.
    void showChange(const Change& change);
    void refreshEditActions();
    void undoOrRedo(bool undo);
    void showAbout();
    void selectTab(int index);
    // The lists now show `folder`: the dialogs start there, Recent Folders and the title
    // name it.
    void folderShown(const std::filesystem::path& folder);
    // The caption, then `source` (the folder shown) when there is one.
    void showTitle(const QString& source);
    // What an open or save found and mended in the folder (a save cut short, leftovers).
    void tellNote(const std::optional<std::string>& note);
    // "Open : antenna_list.dat  &&  DVBS.dat" and "Save : antenna_list.dat  &&  DVBS.dat".
    void openSatelliteFiles();
    void saveSatelliteFiles();
    // Saves through the core's save policy, asking its questions through the dialogs, and
    // says in the status bar what was saved; false when nothing was written.
    bool saveWithPolicy(SaveScope scope, const std::filesystem::path& folder);
    // Shows what an open did; true when the files are open.
    bool showOpened(const OpenResult& result);
    // The receive has read complete files: swap them in, asking first about edits made
    // while it ran.
    void openReceived(const std::shared_ptr<StagedFiles>& staged,
                      const std::filesystem::path& stagingFolder);
    void buildCompare();
    void buildLink();
    void setLinkBusy(bool busy);
    void showProfileStatus();
    // Before unsaved edits are dropped: save them, drop them, or (false) keep everything.
    bool settleUnsavedEdits(const QString& beforeWhat);

    UserDialogs& dialogs_;
    QString dataFolder_;
    QString lastFolder_; // opened or saved last; empty before any
    Document document_;
    widgets::CTooltip* tooltip_;
    std::unique_ptr<DetailsTip> detailsTip_;
    ProfileBook* profiles_;
    QTabWidget* tabs_;
    OrganizeListTab* organizeList_;
    OrganizeSatTab* organizeSat_;
    OptionsTab* options_ = nullptr;
    StatusPanels* status_;
    std::unique_ptr<ReceiverLink> link_;
    EditMark receiveMark_;
    QPointer<AboutDialog> about_;
    std::unique_ptr<RecentFolders> recent_;
    QMenu* recentMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* receive_ = nullptr;
    QAction* send_ = nullptr;
    ReferenceActions* reference_ = nullptr;
    CompareActions* compare_ = nullptr;
};

} // namespace tavrino::app
