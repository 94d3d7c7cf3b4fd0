#pragma once

// One window for a window test: a data folder, a sample folder, scripted dialogs and the main
// window on them, shown and with the sample opened unless the test asks otherwise. The parts
// of the window are found as a person finds them, not through accessors: by object name.
#include "app/main_window.h"
#include "app/organize_list/bouquet_models.h"
#include "app/organize_list/bouquet_views.h"
#include "app/organize_list/name_dialog.h"
#include "app/organize_list/service_edit_dialog.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "app/organize_list/status_panels.h"
#include "real_input.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <QtTest>
#include <QtWidgets> // the widget classes every window test finds
#include <memory>

namespace tavrino::test {

// One column of a model row by row: its texts as shown, or another role's values.
template <class T = QString>
QList<T> columnOf(const QAbstractItemModel& model, int column, int role = Qt::DisplayRole) {
    QList<T> values;
    for (int row = 0; row < model.rowCount(); ++row) {
        values << model.index(row, column).data(role).template value<T>();
    }
    return values;
}

// What a window test starts with.
struct WindowSetup {
    // Written into the sample folder before the window opens it; none: the folder stays empty.
    std::optional<sample::Options> sample =
        sample::Options{.services = 600, .satellites = 5, .bouquets = 6};
    bool open = true;                      // open the sample folder once the window is up
    bool show = true;                      // show the window and wait until it is exposed
    bool active = false;                   // and until it has the keyboard focus
    bool dataInFolder = false;             // the window's data folder is the sample folder itself
    std::optional<int> tab = std::nullopt; // the tab shown at the start
};

class WindowFixture {
public:
    // The folders and dialogs, then the window (init()).
    void start(const WindowSetup& setup) {
        prepare(setup);
        makeWindow(setup);
    }
    // Only the folders and dialogs, for a test that puts files in place first.
    void prepare(const WindowSetup& setup = {}) {
        folder_ = std::make_unique<TempDir>();
        data_ = std::make_unique<TempDir>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        dataInFolder_ = setup.dataInFolder;
        if (setup.sample) {
            writeSample(folder_->path(), *setup.sample);
        }
    }
    void makeWindow(const WindowSetup& setup = {}) {
        window_ = std::make_unique<app::MainWindow>(
            *dialogs_, QString::fromStdString((dataInFolder_ ? folder() : data()).string()));
        if (setup.show) {
            window_->show();
            QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        }
        if (setup.active) {
            QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        }
        if (setup.open && setup.sample) {
            QVERIFY(window_->openFolder(folder()));
        }
        if (setup.tab) {
            tabs().setCurrentIndex(*setup.tab);
            QApplication::processEvents();
        }
    }
    // cleanup(): unsaved edits are dropped without a question.
    void stop() {
        if (dialogs_) {
            dialogs_->unsavedAnswer = app::UserDialogs::UnsavedChoice::Discard;
        }
        window_.reset();
    }
    void closeWindow() { window_.reset(); }

    app::MainWindow& window() { return *window_; }
    ScriptedDialogs& dialogs() { return *dialogs_; }
    const std::filesystem::path& folder() const { return folder_->path(); }
    const std::filesystem::path& data() const { return data_->path(); }
    Workspace& workspace() { return window_->document().workspace(); }

    // A window of its own (no parent), such as a comparison; null when none is open.
    template <class T = QWidget> T* findWindow(const char* name) const {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<T*>(top); window && top->objectName() == name) {
                return window;
            }
        }
        return nullptr;
    }
    // A part of the main window or of a window of its own; a missing one ends the test run,
    // since every test after it would look for it too.
    template <class T = QWidget> T& find(const char* name) const {
        T* found = window_->findChild<T*>(name);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (found == nullptr && top != window_.get()) {
                found = top->findChild<T*>(name);
            }
        }
        if (found == nullptr) {
            qFatal("the window has no %s", name);
        }
        return *found;
    }
    QAction& action(const char* name) const { return find<QAction>(name); }
    QPushButton& button(const char* name) const { return find<QPushButton>(name); }

    QTabWidget& tabs() const { return find<QTabWidget>("tabs"); }
    app::StatusPanels& status() const {
        return *qobject_cast<app::StatusPanels*>(window_->statusBar());
    }
    QMenu& fileMenu() const { return *window_->menuBar()->actions().first()->menu(); }
    // The File menu's entry that reads `caption` on screen ("Apply Bouquets...").
    QAction& fileEntry(const QString& caption) const {
        for (QAction* action : fileMenu().actions()) {
            if (shownText(action->text()) == caption) {
                return *action;
            }
        }
        qFatal("the File menu has no %s", qPrintable(caption));
    }

    // Tab 1.
    app::ServiceListView& serviceView() const { return find<app::ServiceListView>("serviceView"); }
    app::ServiceModel& serviceModel() const {
        return *qobject_cast<app::ServiceModel*>(serviceView().model());
    }
    QComboBox& satelliteFilter() const { return find<QComboBox>("satelliteFilter"); }
    QComboBox& typeFilter() const { return find<QComboBox>("typeFilter"); }
    QLineEdit& searchBox() const { return find<QLineEdit>("searchBox"); }
    app::BouquetListView& bouquetList() const { return find<app::BouquetListView>("bouquetList"); }
    app::BouquetContentsView& bouquetContents() const {
        return find<app::BouquetContentsView>("bouquetContents");
    }
    app::BouquetListModel& bouquetListModel() const {
        return *qobject_cast<app::BouquetListModel*>(bouquetList().model());
    }
    app::BouquetContentsModel& contentsModel() const {
        return *qobject_cast<app::BouquetContentsModel*>(bouquetContents().model());
    }
    app::NameDialog& nameDialog() const { return find<app::NameDialog>("nameDialog"); }
    app::ServiceEditDialog& editDialog() const {
        return find<app::ServiceEditDialog>("serviceEditDialog");
    }
    // The text of a cell of the service list as shown.
    QString cell(int position, int column) const {
        return serviceModel().index(position, column).data().toString();
    }
    QStringList bouquetNames() const { return columnOf(bouquetListModel(), 0); }

private:
    std::unique_ptr<TempDir> folder_;
    std::unique_ptr<TempDir> data_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<app::MainWindow> window_;
    bool dataInFolder_ = false;
};

} // namespace tavrino::test
