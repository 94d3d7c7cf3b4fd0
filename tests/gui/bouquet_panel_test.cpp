#include "widgets/ctooltip.h"
#include "window_fixture.h"

#include <QToolTip>

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
    NameDialog& nameDialog() { return f_.nameDialog(); }
    test::ScriptedDialogs& dialogs() { return f_.dialogs(); }
    widgets::CTooltip& tooltip() { return f_.find<widgets::CTooltip>("detailsTooltip"); }
    const BouquetEditor& editor() { return f_.window().document().bouquets(); }
    QStringList bouquetNames() { return f_.bouquetNames(); }
    QString status(int panelNumber) { return f_.status().panelText(panelNumber); }
    static std::vector<std::int32_t> links(const std::vector<BouquetItem>& items) {
        std::vector<std::int32_t> out;
        for (const auto& item : items) {
            out.push_back(item.link);
        }
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
        QCOMPARE(nameDialog().promptLabel()->text(), QString("Name of the new bouquet:"));
        nameDialog().nameBox()->setText("Mine");
        QTest::keyClick(nameDialog().nameBox(), Qt::Key_Return);
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
        clickRow(services(), positions.front());
        for (std::size_t i = 1; i < positions.size(); ++i) {
            clickRow(services(), positions[i], Qt::ControlModifier);
        }
        dragRowTo(services(), positions.front(), contents(), at);
    }

    QPoint belowTheRows(QAbstractItemView& view) {
        return {view.viewport()->width() / 2, view.viewport()->height() - 3};
    }

private slots:
    void init() { f_.start({.sample = std::nullopt, .dataInFolder = true}); }
    void cleanup() { f_.stop(); }

    // The menus show their captions alone (some name their keys in the caption); the keys
    // still work.
    void menusShowTheirCaptionsAloneAndKeysStillWork() {
        for (QMenu* menu : {list().contextMenu(), contents().contextMenu()}) {
            for (const QAction* action : menu->actions()) {
                QVERIFY2(!action->isShortcutVisibleInContextMenu() || action->shortcut().isEmpty(),
                         qPrintable(action->text()));
            }
        }
        QCOMPARE(list().insertAction()->shortcut(), QKeySequence("Shift+Ins"));
    }

    // A click shows the clicked bouquet at once, and the contents commands change that one.
    void aClickedBouquetIsTheOneShownAndEdited() {
        open(12);
        QCOMPARE(list().currentSelectedPosition(), 0);
        QCOMPARE(status(5), QString("Bouquets : 12"));
        for (const int row : {5, 2, 7}) {
            clickRow(list(), row);
            QCOMPARE(list().currentSelectedPosition(), row);
            QCOMPARE(shownLinks(), links(editor().items(row)));
            QCOMPARE(status(4), QString("Items in Bouquet : %1").arg(editor().items(row).size()));
        }
        QTest::keyClick(&list(), Qt::Key_Down);
        QCOMPARE(shownLinks(), links(editor().items(8)));
        clickRow(list(), 7);
        const auto seventh = editor().items(7);
        QVERIFY(seventh.size() >= 3);
        const auto eighth = links(editor().items(8));
        clickRow(contents(), 0);
        clickRow(contents(), 1, Qt::ShiftModifier);
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&contents(), Qt::Key_Delete);
        QCOMPARE(dialogs().asked.size(), std::size_t{1});
        auto expected = links(seventh);
        expected.erase(expected.begin(), expected.begin() + 2);
        QCOMPARE(links(editor().items(7)), expected);
        QCOMPARE(links(editor().items(8)), eighth);
        QCOMPARE(shownLinks(), expected);
    }

    void addAsksForANameAndSelectsTheNewBouquet() {
        open(2);
        addEmptyBouquet();
        NameDialog* dialog = &nameDialog();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(bouquetNames().last(), QString("Mine"));
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(status(5), QString("Bouquets : 3"));
        QCOMPARE(status(4), QString("Items in Bouquet : 0"));

        list().renameAction()->trigger();
        // A line above the box says what the name is for.
        QCOMPARE(dialog->promptLabel()->text(), QString("New name of the bouquet:"));
        dialog->nameBox()->setText("Never");
        dialog->reject();
        QCOMPARE(bouquetNames().last(), QString("Mine"));
    }

    // The dialog is not modal: the list may change under it.
    void theNameDialogActsOnTheBouquetItWasOpenedFor() {
        open(4);
        const QStringList before = bouquetNames();
        clickRow(list(), 2);
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        NameDialog* dialog = &nameDialog();
        QVERIFY(dialog->isVisible());
        backToTheWindow(); // the person goes back to the list
        clickRow(list(), 0);
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier); // row 2 is now row 1
        dialog->nameBox()->setText("Renamed");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(bouquetNames(), QStringList({before[1], "Renamed", before[3]}));

        clickRow(list(), 1);
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        backToTheWindow();
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier); // its own bouquet goes
        const QStringList remaining = bouquetNames();
        dialog->nameBox()->setText("Too late");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(bouquetNames(), remaining);
        QCOMPARE(dialogs().told.back().text,
                 std::string("The bouquet this name was meant for no longer exists !!!"));
        QVERIFY(!dialog->isVisible());
    }

    void aRefusedNameStaysInTheDialog() {
        open(2);
        list().addBouquetAction()->trigger();
        NameDialog* dialog = &nameDialog();
        dialog->nameBox()->setText(QString::fromUtf8("Česko"));
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->nameBox()->text(), QString::fromUtf8("Česko"));
        dialog->nameBox()->setText("Cesko");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(bouquetNames().last(), QString("Cesko"));
    }

    void keysReachTheirCommands() {
        open(3);
        clickRow(list(), 1);
        const QString second = bouquetNames()[1];
        dialogs().yesNoAnswers = {false};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(dialogs().asked.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(dialogs().asked[0].text),
                 QString("Are you sure you want to delete Bouquet : %1 ?\r\n\r\n").arg(second));
        QCOMPARE(bouquetNames().size(), 3);
        QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&list(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(bouquetNames().size(), 4);
        QCOMPARE(bouquetNames()[1], second);
    }

    // A drop lands before the row under the pointer, on its upper or lower half alike; the grid
    // lines between rows and columns belong to a row: a drop there lands before the row the
    // indicator marks, not at the end.
    void aDropOnAGridLineLandsWhereItsIndicatorShows() {
        open(1);
        addEmptyBouquet();
        dragServices({0, 1, 2, 3}, belowTheRows(contents()));
        QCOMPARE(f_.contentsModel().rowCount(), 4);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{3});
        const QString dropped = f_.cell(10, 0);
        const auto bottomLine = [&](int row) {
            return QPoint(contents().columnViewportPosition(0) + 20,
                          contents().rowViewportPosition(row) + contents().rowHeight(row) - 1);
        };
        const auto columnLine = [&](int row) {
            return QPoint(contents().columnViewportPosition(1) - 1, rowPoint(contents(), row).y());
        };
        const auto rightEdge = [&](int row) {
            return QPoint(contents().viewport()->width() - 2, rowPoint(contents(), row).y());
        };
        struct Case {
            const char* where;
            QPoint at;
            int before;
        };
        for (const Case& c : {Case{"upper half of row 1", rowPoint(contents(), 1, 0.2), 1},
                              Case{"lower half of row 1", rowPoint(contents(), 1, 0.85), 1},
                              Case{"line under row 1", bottomLine(1), 1},
                              Case{"line under row 0", bottomLine(0), 0},
                              Case{"line between columns", columnLine(2), 2},
                              Case{"right of the columns", rightEdge(3), 3}}) {
            QCOMPARE(contents().indexAt(c.at).row(), c.before); // the row the indicator marks
            const auto before = shownLinks();
            dragServices({10}, c.at);
            QCOMPARE(f_.contentsModel().rowCount(), 5);
            QCOMPARE(shownLinks(), links(editor().items(1))); // into the bouquet shown
            QVERIFY2(QString::fromStdString(f_.contentsModel().items()[c.before].name) == dropped,
                     c.where);
            QCOMPARE(contents().selectedPositions(), std::vector<int>{c.before});
            dialogs().yesNoAnswers = {true};
            QTest::keyClick(&contents(), Qt::Key_Delete);
            QCOMPARE(shownLinks(), before);
        }
        // A bouquet dropped on the line under a row moves before that row.
        const QStringList names = bouquetNames();
        const QPoint line(list().viewport()->width() / 2,
                          list().rowViewportPosition(0) + list().rowHeight(0) - 1);
        dialogs().yesNoAnswers = {true};
        dragRowTo(list(), 1, list(), line);
        QCOMPARE(bouquetNames(), QStringList({names[1], names[0]}));
    }

    void reorderedItemsLandBeforeTheRowUnderThePointer() {
        open(1);
        addEmptyBouquet();
        dragServices({0, 1, 2, 3, 4, 5}, belowTheRows(contents()));
        const auto original = shownLinks();
        clickRow(contents(), 1);
        clickRow(contents(), 3, Qt::ControlModifier);
        dragRowTo(contents(), 1, contents(), rowPoint(contents(), 5, 0.85));
        QCOMPARE(shownLinks(), (std::vector<std::int32_t>{original[0], original[2], original[4],
                                                          original[1], original[3], original[5]}));
    }

    void undoingARemovalBringsTheBouquetBackSelected() {
        open(5);
        const QStringList before = bouquetNames();
        clickRow(list(), 2);
        dialogs().yesNoAnswers = {true};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(bouquetNames().size(), 4);
        clickRow(list(), 0);
        QTest::keyClick(&list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bouquetNames(), before);
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(shownLinks(), links(editor().items(2)));
        QCOMPARE(f_.action("redoAction").text(), QString("Redo Remove Bouquet"));
    }

    void undoingADropKeepsTheServiceListAsItWas() {
        open(1);
        addEmptyBouquet();
        f_.typeFilter().setCurrentIndex(2);
        dragServices({1, 2}, belowTheRows(contents()));
        QCOMPARE(shownLinks().size(), std::size_t{2});
        QCOMPARE(f_.action("undoAction").text(), QString("Undo Drop 2 Services"));
        f_.action("undoAction").trigger();
        QCOMPARE(shownLinks().size(), std::size_t{0});
        QCOMPARE(f_.typeFilter().currentIndex(), 2);
        QCOMPARE(bouquetNames().last(), QString("Mine"));
        QCOMPARE(list().currentSelectedPosition(), bouquetNames().size() - 1);
        f_.action("redoAction").trigger();
        QCOMPARE(shownLinks().size(), std::size_t{2});
    }

    // The items after the drop moved up, but none of them was put back.
    void undoingADropInsideABouquetSelectsNoItem() {
        open(2);
        clickRow(list(), 1); // the first is full
        const auto before = shownLinks();
        dragServices({0}, rowPoint(contents(), 3, 0.25));
        QCOMPARE(shownLinks().size(), before.size() + 1);
        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), before);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{});
    }

    void dropWithoutBouquetsSaysSo() {
        open(0);
        dragServices({0}, belowTheRows(contents()));
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QCOMPARE(dialogs().told[0].text, std::string("You must create bouquet first !!!"));
    }

    void bouquetsMoveBeforeTheRowUnderThePointer() {
        open(4);
        const QStringList before = bouquetNames();
        dialogs().yesNoAnswers = {true};
        clickRow(list(), 1);
        dragRowTo(list(), 1, list(), rowPoint(list(), 3, 0.85));
        QCOMPARE(dialogs().asked.size(), std::size_t{1}); // asked first
        QCOMPARE(bouquetNames(), QStringList({before[0], before[2], before[1], before[3]}));
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(shownLinks(), links(editor().items(2)));

        dialogs().yesNoAnswers = {true};
        clickRow(list(), 0);
        dragRowTo(list(), 0, list(), belowTheRows(list()));
        QCOMPARE(bouquetNames(), QStringList({before[2], before[1], before[3], before[0]}));

        // Undo and redo keep the moved bouquet selected, none of its items.
        for (const auto& [key, at] : {std::pair{Qt::Key_Z, 0}, std::pair{Qt::Key_Y, 3}}) {
            QTest::keyClick(&list(), key, Qt::ControlModifier);
            QCOMPARE(list().currentSelectedPosition(), at);
            QCOMPARE(bouquetNames()[at], before[0]);
            QCOMPARE(contents().selectedPositions(), std::vector<int>{});
        }
    }

    void doubleClickRemovesOneItem() {
        open(2);
        const auto before = shownLinks();
        dialogs().yesNoAnswers = {true};
        test::doubleClickRow(contents(), 1);
        QCOMPARE(dialogs().asked.size(), std::size_t{1});
        QCOMPARE(shownLinks().size(), before.size() - 1);
        QCOMPARE(shownLinks()[1], before[2]);
    }

    void flagCommandsReselectTheBouquet() {
        open(4);
        clickRow(list(), 2);
        const int items = f_.contentsModel().rowCount();
        clickRow(services(), 0);
        services().lockAction()->trigger();
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(f_.contentsModel().rowCount(), items);
    }

    void locateFindsTheServiceEvenWhenFilteredOut() {
        open(2);
        clickRow(contents(), 3);
        const auto item = f_.contentsModel().items()[3];
        // Filter the service list to a satellite the item is not on.
        QComboBox* filter = &f_.satelliteFilter();
        for (int i = 1; i < filter->count(); ++i) {
            if (filter->itemText(i).toStdString() != item.satellite) {
                filter->setCurrentIndex(i);
                break;
            }
        }
        contents().setFocus();
        QTest::keyClick(&contents(), Qt::Key_L, Qt::ControlModifier);
        const auto selected = services().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        const auto row = f_.workspace().view().tableRow(static_cast<std::size_t>(selected[0]));
        QCOMPARE(f_.workspace().services().row(row).record.flag, item.link);
        QCOMPARE(f_.workspace().services().row(row).record.sid, item.sid);
        QVERIFY(services().hasFocus());
    }

    void theTipNamesTheRowUnderThePointerNow() {
        open(1);
        QTest::mouseMove(contents().viewport(), rowPoint(contents(), 2));
        QCOMPARE(tooltip().Title(), QString("User Bouquet details"));
        QVERIFY(tooltip().TipText().contains("Ch.No.: 3"));
        contents().setFocus();
        QTest::keyClick(&contents(), Qt::Key_End, Qt::ControlModifier); // the rows scroll by
        QApplication::processEvents();
        const int under =
            contents().rowAt(contents().viewport()->mapFromGlobal(QCursor::pos()).y());
        QVERIFY(under > 2);
        QVERIFY(tooltip().TipText().contains(QString("Ch.No.: %1").arg(under + 1)));
    }

    void noTipOverAMenuOrAfterADrag() {
        open(1);
        tooltip().setDelayTime(0);
        QTest::mouseMove(services().viewport(), rowPoint(services(), 1));
        QTRY_VERIFY(tooltip().isShowing());
        test::rightClickRow(services(), 1);
        QVERIFY(services().contextMenu()->isVisible());
        QVERIFY(!tooltip().isShowing());
        QTest::qWait(20);
        QVERIFY(!tooltip().isShowing());
        services().contextMenu()->close();

        clickRow(list(), 0);
        dragServices({4}, belowTheRows(contents()));
        QVERIFY(!tooltip().exists());
    }

    void theListHintGivesWayToTheDetailsTip() {
        open(1);
        const QPoint onRow = rowPoint(contents(), 0);
        QHelpEvent overRow(QEvent::ToolTip, onRow, contents().viewport()->mapToGlobal(onRow));
        QVERIFY(QApplication::sendEvent(contents().viewport(), &overRow));
        QVERIFY(!QToolTip::isVisible());
    }
};

QTEST_MAIN(BouquetPanelTest)
#include "bouquet_panel_test.moc"
