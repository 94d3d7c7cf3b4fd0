#include "widgets/ctooltip.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::clickRow;
using tavrino::test::dragRowTo;
using tavrino::test::rowPoint;

class BouquetPanelTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    BouquetListView& list() { return f_.bouquetList(); }
    BouquetContentsView& contents() { return f_.bouquetContents(); }
    ServiceListView& services() { return f_.serviceView(); }
    test::ScriptedDialogs& dialogs() { return f_.dialogs(); }
    widgets::CTooltip& tooltip() { return f_.find<widgets::CTooltip>("detailsTooltip"); }
    const BouquetEditor& editor() { return f_.window().document().bouquets(); }
    static std::vector<std::int32_t> links(const std::vector<BouquetItem>& items) {
        std::vector<std::int32_t> out(items.size());
        std::ranges::transform(items, out.begin(), &BouquetItem::link);
        return out;
    }
    std::vector<std::int32_t> shownLinks() { return links(f_.contentsModel().items()); }

    void open(int bouquets) {
        test::writeSample(f_.folder(), {.services = 300, .satellites = 4, .bouquets = bouquets});
        QVERIFY(f_.window().openFolder(f_.folder()));
    }

    // An empty bouquet "Mine" at the end of the list, selected.
    void addEmptyBouquet() {
        list().addBouquetAction()->trigger();
        f_.nameDialog().nameBox()->setText("Mine");
        QTest::keyClick(f_.nameDialog().nameBox(), Qt::Key_Return);
        QCOMPARE(f_.contentsModel().rowCount(), 0);
        backToTheWindow();
    }

    // The window manager hands the focus back once a dialog is gone.
    void backToTheWindow() {
        f_.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f_.window()));
    }

    // Services at these view positions, selected with the mouse and dragged to `at` on the
    // contents.
    void dragServices(const std::vector<int>& positions, QPoint at) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            clickRow(services(), positions[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
        }
        dragRowTo(services(), positions.front(), contents(), at);
    }

    QPoint belowTheRows(QAbstractItemView& view) {
        return {view.viewport()->width() / 2, view.viewport()->height() - 3};
    }

private slots:
    void init() { f_.start({.sample = std::nullopt, .dataInFolder = true}); }
    void cleanup() { f_.stop(); }

    // A click shows the clicked bouquet at once, and the contents commands change that one. The
    // menus show their captions alone (some name their keys in the caption); the keys still
    // work.
    void aClickedBouquetIsTheOneShownAndEditedAndKeysWork() {
        for (QMenu* menu : {list().contextMenu(), contents().contextMenu()}) {
            for (const QAction* action : menu->actions()) {
                QVERIFY2(!action->isShortcutVisibleInContextMenu() || action->shortcut().isEmpty(),
                         qPrintable(action->text()));
            }
        }
        open(12);
        QCOMPARE(list().currentSelectedPosition(), 0);
        for (const int row : {5, 2, 7}) {
            clickRow(list(), row);
            QCOMPARE(shownLinks(), links(editor().items(row)));
        }
        clickRow(list(), 7);
        auto expected = links(editor().items(7));
        const auto eighth = links(editor().items(8));
        clickRow(contents(), 0);
        clickRow(contents(), 1, Qt::ShiftModifier);
        dialogs().yesNoAnswers = {true, true};
        QTest::keyClick(&contents(), Qt::Key_Delete);
        test::doubleClickRow(contents(), 1); // one item, the fourth before the Delete
        QCOMPARE(dialogs().asked.size(), std::size_t{2});
        clickRow(services(), 0); // a flag command leaves the bouquet shown
        services().lockAction()->trigger();
        QCOMPARE(list().currentSelectedPosition(), 7);
        expected.erase(expected.begin() + 3);
        expected.erase(expected.begin(), expected.begin() + 2);
        QCOMPARE(shownLinks(), expected);
        QCOMPARE(links(editor().items(7)), expected);
        QCOMPARE(links(editor().items(8)), eighth);
        // Undone while another bouquet is shown, the delete shows its bouquet again with the
        // item it put back selected.
        clickRow(list(), 2);
        QTest::keyClick(&list(), Qt::Key_Z, Qt::ControlModifier); // the LOCK
        QTest::keyClick(&list(), Qt::Key_Z, Qt::ControlModifier); // the double click
        QCOMPARE(list().currentSelectedPosition(), 7);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{1});
        QCOMPARE(QApplication::focusWidget(), &contents());

        clickRow(list(), 1);
        const QString second = f_.bouquetNames()[1];
        dialogs().yesNoAnswers = {false};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(dialogs().asked.size(), std::size_t{3});
        QVERIFY(QString::fromStdString(dialogs().asked.back().text).contains(second));
        QCOMPARE(f_.bouquetNames().size(), 12);
        QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&list(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f_.bouquetNames().size(), 13);
        QCOMPARE(f_.bouquetNames()[1], second);
    }

    // A bouquet dragged in the list moves before the row under the pointer. A line above the
    // name box says what the name is for; a refused name stays in the box. The dialog is not
    // modal: the list may change under it, the name goes to the bouquet it was opened for.
    void bouquetsMoveAndTakeTheirNamesAsAsked() {
        open(4);
        const QStringList order = f_.bouquetNames();
        dialogs().yesNoAnswers = {true};
        clickRow(list(), 1);
        dragRowTo(list(), 1, list(), rowPoint(list(), 3, 0.85));
        QCOMPARE(dialogs().asked.size(), std::size_t{1}); // asked first
        QCOMPARE(f_.bouquetNames(), QStringList({order[0], order[2], order[1], order[3]}));
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(shownLinks(), links(editor().items(2)));

        dialogs().yesNoAnswers = {true};
        clickRow(list(), 0);
        dragRowTo(list(), 0, list(), belowTheRows(list()));
        QCOMPARE(f_.bouquetNames(), QStringList({order[2], order[1], order[3], order[0]}));

        // Undo and redo keep the moved bouquet selected, none of its items.
        for (const auto& [key, at] : {std::pair{Qt::Key_Z, 0}, std::pair{Qt::Key_Y, 3}}) {
            QTest::keyClick(&list(), key, Qt::ControlModifier);
            QCOMPARE(list().currentSelectedPosition(), at);
            QCOMPARE(f_.bouquetNames()[at], order[0]);
            QCOMPARE(contents().selectedPositions(), std::vector<int>{});
        }
        // A removal undone brings the bouquet back, selected.
        const QStringList moved = f_.bouquetNames();
        clickRow(list(), 2);
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
        clickRow(list(), 0);
        QTest::keyClick(&list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f_.bouquetNames(), moved);
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(shownLinks(), links(editor().items(2)));

        list().addBouquetAction()->trigger();
        NameDialog* dialog = &f_.nameDialog();
        QCOMPARE(dialog->promptLabel()->text(), QString("Name of the new bouquet:"));
        dialog->nameBox()->setText(QString::fromUtf8("Česko"));
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->nameBox()->text(), QString::fromUtf8("Česko"));
        dialog->nameBox()->setText("Mine");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(f_.bouquetNames().last(), QString("Mine"));
        QCOMPARE(list().currentSelectedPosition(), 4);
        QCOMPARE(f_.status().panelText(5), QString("Bouquets : 5"));

        backToTheWindow();
        const QStringList before = f_.bouquetNames();
        clickRow(list(), 2);
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->promptLabel()->text(), QString("New name of the bouquet:"));
        backToTheWindow(); // the person goes back to the list
        clickRow(list(), 0);
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier); // row 2 is now row 1
        dialog->nameBox()->setText("Renamed");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(f_.bouquetNames(), QStringList({before[1], "Renamed", before[3], before[4]}));

        clickRow(list(), 1);
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        backToTheWindow();
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier); // its own bouquet goes
        dialog->nameBox()->setText("Too late");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(f_.bouquetNames(), QStringList({before[1], before[3], before[4]}));
        QCOMPARE(dialogs().told.back().text,
                 std::string("The bouquet this name was meant for no longer exists !!!"));
        QVERIFY(!dialog->isVisible());
    }

    // Undoing a drop keeps the service list as it was. A drop lands before the row under the
    // pointer, on its upper or lower half alike; the grid lines between rows and columns belong
    // to a row: a drop there lands before the row the indicator marks, not at the end.
    void dropsLandWhereTheIndicatorShowsAndUndoKeepsTheList() {
        open(1);
        addEmptyBouquet();
        f_.typeFilter().setCurrentIndex(2);
        dragServices({1, 2}, belowTheRows(contents()));
        f_.action("undoAction").trigger();
        QCOMPARE(shownLinks().size(), std::size_t{0});
        QCOMPARE(f_.typeFilter().currentIndex(), 2);
        QCOMPARE(f_.bouquetNames()[list().currentSelectedPosition()], QString("Mine"));
        f_.action("redoAction").trigger();
        const auto kept = shownLinks();
        QCOMPARE(kept.size(), std::size_t{2});
        // The item after the drop moved down, but none of them was put back: none is selected.
        dragServices({0}, rowPoint(contents(), 1, 0.25));
        QCOMPARE(shownLinks().size(), std::size_t{3});
        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), kept);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{});
        f_.typeFilter().setCurrentIndex(0);
        dragServices({0, 1, 2, 3}, belowTheRows(contents()));
        QCOMPARE(f_.contentsModel().rowCount(), 6);
        const QString dropped = f_.cell(10, 0);
        const auto x = [&](int column) { return contents().columnViewportPosition(column); };
        const auto y = [&](int row) { return rowPoint(contents(), row).y(); };
        const int rightEdge = contents().viewport()->width() - 2;
        const auto lineUnder = [&](int row) {
            return contents().rowViewportPosition(row) + contents().rowHeight(row) - 1;
        };
        for (const auto& [where, at, before] :
             {std::tuple{"upper half of row 1", rowPoint(contents(), 1, 0.2), 1},
              std::tuple{"lower half of row 1", rowPoint(contents(), 1, 0.85), 1},
              std::tuple{"line under row 1", QPoint(x(0) + 20, lineUnder(1)), 1},
              std::tuple{"line under row 0", QPoint(x(0) + 20, lineUnder(0)), 0},
              std::tuple{"line between columns", QPoint(x(1) - 1, y(2)), 2},
              std::tuple{"right of the columns", QPoint(rightEdge, y(3)), 3}}) {
            QCOMPARE(contents().indexAt(at).row(), before); // the row the indicator marks
            const auto shown = shownLinks();
            dragServices({10}, at);
            QCOMPARE(shownLinks(), links(editor().items(1))); // into the bouquet shown
            QVERIFY2(QString::fromStdString(f_.contentsModel().items()[before].name) == dropped,
                     where);
            QCOMPARE(contents().selectedPositions(), std::vector<int>{before});
            dialogs().yesNoAnswers = {true};
            QTest::keyClick(&contents(), Qt::Key_Delete);
            QCOMPARE(shownLinks(), shown);
        }
        // Items dragged from the contents land before the row under the pointer, in their order.
        const auto six = shownLinks();
        clickRow(contents(), 0);
        clickRow(contents(), 2, Qt::ControlModifier);
        dragRowTo(contents(), 0, contents(), rowPoint(contents(), 3, 0.85));
        QCOMPARE(shownLinks(),
                 (std::vector<std::int32_t>{six[1], six[0], six[2], six[3], six[4], six[5]}));
        // A bouquet dropped on the line under a row moves before that row.
        const QStringList names = f_.bouquetNames();
        const QPoint line(list().viewport()->width() / 2,
                          list().rowViewportPosition(0) + list().rowHeight(0) - 1);
        dialogs().yesNoAnswers = {true};
        dragRowTo(list(), 1, list(), line);
        QCOMPARE(f_.bouquetNames(), QStringList({names[1], names[0]}));
    }

    void dropWithoutBouquetsSaysSo() {
        open(0);
        dragServices({0}, belowTheRows(contents()));
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QCOMPARE(dialogs().told[0].text, std::string(noBouquetMessage));
    }

    // The details tip names the row under the pointer even after the rows scroll by, the
    // list's own hint gives way to it; over the service list it shows the channel's info, and
    // it hides over a menu and after a drag. Locate finds an item's service even when the
    // service list filters it out.
    void theTipNamesTheRowUnderThePointerNowAndLocateFindsTheService() {
        open(2);
        QTest::mouseMove(contents().viewport(), rowPoint(contents(), 2));
        QCOMPARE(tooltip().Title(), QString("User Bouquet details"));
        QVERIFY(tooltip().TipText().contains("Ch.No.: 3"));
        contents().setFocus();
        QTest::keyClick(&contents(), Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        const int under =
            contents().rowAt(contents().viewport()->mapFromGlobal(QCursor::pos()).y());
        QVERIFY(under > 2);
        QVERIFY(tooltip().TipText().contains(QString("Ch.No.: %1").arg(under + 1)));
        const QPoint onRow = rowPoint(contents(), under);
        QHelpEvent overRow(QEvent::ToolTip, onRow, contents().viewport()->mapToGlobal(onRow));
        QVERIFY(QApplication::sendEvent(contents().viewport(), &overRow));
        QVERIFY(!QToolTip::isVisible());

        tooltip().setDelayTime(0);
        QTest::mouseMove(services().viewport(), rowPoint(services(), 1));
        QTRY_VERIFY(tooltip().isShowing());
        QCOMPARE(tooltip().Title(), QString("Channel Info"));
        QVERIFY(tooltip().TipText().startsWith(f_.cell(1, colService) + "\n"));
        test::rightClickRow(services(), 1);
        QVERIFY(services().contextMenu()->isVisible());
        QVERIFY(!tooltip().isShowing());
        services().contextMenu()->close();
        clickRow(list(), 0);
        dragServices({4}, belowTheRows(contents()));
        QVERIFY(!tooltip().exists());

        clickRow(contents(), 3);
        const auto item = f_.contentsModel().items()[3];
        // The service list shows a satellite the item is not on.
        const int itemSatellite =
            f_.satelliteFilter().findText(QString::fromStdString(item.satellite));
        f_.satelliteFilter().setCurrentIndex(itemSatellite == 1 ? 2 : 1);
        QTest::keyClick(&contents(), Qt::Key_L, Qt::ControlModifier);
        const auto selected = services().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        const auto row = f_.workspace().view().tableRow(static_cast<std::size_t>(selected[0]));
        const auto& found = f_.workspace().services().row(row).record;
        QCOMPARE(std::pair(found.flag, found.sid), std::pair(item.link, item.sid));
        QVERIFY(services().hasFocus());
    }
};

QTEST_MAIN(BouquetPanelTest)
#include "bouquet_panel_test.moc"
