#include "app/main_window.h"
#include "app/organize_list/bouquet_panel.h"
#include "app/organize_list/bouquet_views.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/profile_picker.h"
#include "app/organize_list/service_list_view.h"
#include "gui_test_support.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;

// The window by keyboard alone: every menu entry has a route, and Tab goes everywhere once.
class KeyboardTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::TempDir> data_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    OrganizeListTab& tab() { return *window_->organizeListTab(); }
    QMenu* fileMenu() { return window_->menuBar()->actions().first()->menu(); }
    QWidget* focused() { return QApplication::focusWidget(); }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempDir>();
        data_ = std::make_unique<test::TempDir>();
        test::writeSample(folder_->path(), {.services = 50, .satellites = 2, .bouquets = 2});
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QVERIFY(window_->openFolder(folder_->path()));
    }

    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void everyMenuEntryHasItsOwnMnemonic() {
        for (const QList<QAction*>& entries :
             {window_->menuBar()->actions(), fileMenu()->actions()}) {
            QSet<QString> keys;
            for (const QAction* action : entries) {
                if (action->isSeparator()) {
                    continue;
                }
                const QString key = QKeySequence::mnemonic(action->text()).toString();
                QVERIFY2(!key.isEmpty(), qPrintable(action->text()));
                QVERIFY2(!keys.contains(key), qPrintable(action->text()));
                keys.insert(key);
            }
        }
    }

    void altFAndF10OpenTheFileMenu() {
        QTest::keyClick(tab().serviceView(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(fileMenu()->isVisible());
        // "Export Service &List..." by its letter.
        QTest::keyClick(fileMenu(), Qt::Key_L);
        QTRY_VERIFY(!fileMenu()->isVisible());
        QVERIFY2(dialogs_->suggestedCsv.endsWith("services.csv"),
                 qPrintable(dialogs_->suggestedCsv));

        QTest::keyClick(tab().serviceView(), Qt::Key_F10);
        QTRY_VERIFY(fileMenu()->isVisible());
        QTest::keyClick(fileMenu(), Qt::Key_Escape);
        QTRY_VERIFY(!fileMenu()->isVisible());
    }

    // Tab visits every control of the first tab once and comes back: no list keeps it.
    void tabGoesRoundTheFirstTab() {
        QWidget* start = tab().searchBox();
        start->setFocus(Qt::TabFocusReason);
        QList<QWidget*> seen;
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(focused(), Qt::Key_Tab);
            if (focused() == start) {
                break;
            }
            QVERIFY2(!seen.contains(focused()), qPrintable(focused()->objectName()));
            seen << focused();
        }
        QCOMPARE(focused(), start);
        // In the order they stand on screen: the lists left to right, then the buttons.
        qsizetype last = -1;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 tab().serviceView(), tab().bouquets()->contentsView(),
                 tab().bouquets()->listView(), tab().openButton(), tab().saveButton(),
                 tab().receiveButton(), tab().sendButton(), tab().profilePicker()->dropDown(),
                 tab().clipboardButton()}) {
            QVERIFY2(seen.indexOf(w) > last, qPrintable(w->objectName()));
            last = seen.indexOf(w);
        }
    }

    // The profile drop-down is one Tab stop; Tab neither opens its list nor stays in it.
    void tabPassesTheProfileBox() {
        ProfilePicker* picker = tab().profilePicker();
        tab().sendButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tab().sendButton(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(picker->dropDown()));
        QTest::qWait(50);
        QVERIFY(!picker->dropDown()->view()->isVisible());
        QTest::keyClick(focused(), Qt::Key_Tab);
        QTest::qWait(50);
        QVERIFY(!picker->dropDown()->view()->isVisible());
        QVERIFY(focused() != picker->dropDown() && focused() != picker->activeBox());
        QTest::keyClick(focused(), Qt::Key_Backtab);
        QCOMPARE(focused(), static_cast<QWidget*>(picker->dropDown()));
        // The keys that open a drop-down still open this one.
        QTest::keyClick(picker->dropDown(), Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(picker->dropDown()->view()->isVisible());
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
