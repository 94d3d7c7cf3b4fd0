#include "app/organize_list/profile_picker.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;

// The window by keyboard alone: every menu entry has a route, and Tab goes everywhere once.
class KeyboardTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    QWidget* focused() { return QApplication::focusWidget(); }
    QWidget* button(const char* name) { return &f_.button(name); }
    ProfilePicker& picker() { return f_.find<ProfilePicker>("profilePicker"); }

private slots:
    void init() {
        f_.start({.sample = sample::Options{.services = 50, .satellites = 2, .bouquets = 2},
                  .active = true});
    }
    void cleanup() { f_.stop(); }

    // Every menu entry has its own mnemonic. Keyboards without a Menu key open the lists'
    // context menus with Shift+F10; F10 opens the File menu.
    void keysOpenTheMenus() {
        for (const QList<QAction*>& entries :
             {f_.window().menuBar()->actions(), f_.fileMenu().actions()}) {
            QSet<QString> keys;
            for (const QAction* action : entries) {
                const QString key = QKeySequence::mnemonic(action->text()).toString();
                QVERIFY2(action->isSeparator() || (!key.isEmpty() && !keys.contains(key)),
                         qPrintable(action->text()));
                keys.insert(key);
            }
        }
        QMenu* menu = f_.serviceView().contextMenu();
        test::clickRow(f_.serviceView(), 2);
        QTest::keyClick(&f_.serviceView(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(menu));
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);

        QTest::keyClick(&f_.serviceView(), Qt::Key_F10);
        QTRY_VERIFY(f_.fileMenu().isVisible());
        QTest::keyClick(&f_.fileMenu(), Qt::Key_Escape);
        QTRY_VERIFY(!f_.fileMenu().isVisible());
    }

    // Tab visits every control of the first tab once and comes back: no list keeps it. The
    // profile drop-down is one Tab stop; Tab neither opens its list nor stays in it.
    void tabGoesRoundTheFirstTabAndPassesTheProfileBox() {
        QWidget* start = &f_.searchBox();
        start->setFocus(Qt::TabFocusReason);
        QList<QWidget*> seen;
        do {
            QTest::keyClick(focused(), Qt::Key_Tab);
            QVERIFY2(!seen.contains(focused()), qPrintable(focused()->objectName()));
            seen << focused();
        } while (focused() != start && seen.size() < 60);
        QCOMPARE(focused(), start);
        // In the order they stand on screen: the lists left to right, then the buttons.
        QComboBox* dropDown = picker().dropDown();
        const QList<QWidget*> order = {&f_.serviceView(),        &f_.bouquetContents(),
                                       &f_.bouquetList(),        button("openButton"),
                                       button("saveButton"),     button("receiveButton"),
                                       button("sendButton"),     dropDown,
                                       button("clipboardButton")};
        seen.removeIf([&](QWidget* w) { return !order.contains(w); });
        QVERIFY(seen == order);

        button("sendButton")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button("sendButton"), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(dropDown));
        QTest::qWait(50);
        QVERIFY(!dropDown->view()->isVisible());
        QTest::keyClick(focused(), Qt::Key_Tab);
        QTest::qWait(50);
        QVERIFY(!dropDown->view()->isVisible());
        QVERIFY(focused() != dropDown && focused() != picker().activeBox());
        QTest::keyClick(focused(), Qt::Key_Backtab);
        QCOMPARE(focused(), static_cast<QWidget*>(dropDown));
        // The keys that open a drop-down still open this one.
        QTest::keyClick(dropDown, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(dropDown->view()->isVisible());
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
