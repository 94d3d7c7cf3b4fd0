#pragma once

#include "app/compare/compare_window.h"
#include "compare/comparison.h"
#include "document/document.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace tavrino::app {

class UserDialogs;

// File menu "Compare With Folder..." and "Compare With Lists Before Receive": other lists
// against the open ones, in a window of their own.
class CompareActions : public QObject {
    Q_OBJECT
public:
    CompareActions(Document& document, UserDialogs& dialogs, QWidget* window);

    ~CompareActions() override;

    void addMenuEntries(QMenu& file);
    void setStartFolder(std::function<QString()> folder) { startFolder_ = std::move(folder); }

    // Asks for a folder through its all_channel.dat, reads it without writing there and shows
    // it against the open lists.
    void compareWithFolder();
    bool compareWithFolder(const std::filesystem::path& folder);

    // A copy of the open lists, taken before a receive replaces them; none when none are open.
    std::shared_ptr<const Workspace> copyOpenLists() const;
    // The receive has replaced `before` (a copy from copyOpenLists): what differs, for the
    // status bar, and the comparison kept for "Compare With Lists Before Receive".
    QString receiveOpened(std::shared_ptr<const Workspace> before);
    void showReceiveComparison();

    // What a step of the open lists changed: the entries follow, the window turns stale, and
    // other files than those received drop the lists kept from before the receive.
    void listsChanged(const Change& change);
    CompareWindow* window() const { return window_; }
    void closeWindow();

signals:
    void locateRequested(std::uint32_t serviceRow); // a service of the open lists
    void note(const QString& text);                 // for the status bar

private:
    void show(const QString& title, std::shared_ptr<const Workspace> before);
    void refreshEntries();

    Document& document_;
    UserDialogs& dialogs_;
    QWidget* parent_;
    std::function<QString()> startFolder_;
    QAction* folderEntry_ = nullptr;
    QAction* receiveEntry_ = nullptr;
    QPointer<CompareWindow> window_;
    std::shared_ptr<const Workspace> beforeReceive_; // one copy, until other files are open
};

// "Received: 12 services, 1 bouquet, 0 satellites differ from before"
QString receiveSummary(const Comparison& comparison);

} // namespace tavrino::app
