#include "app/organize_list/row_colors.h"
#include "reference/duplicate_services.h"
#include "samplegen/sample_duplicates.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::clickRow;
using tavrino::test::dragRowTo;
using tavrino::test::rightClickRow;

// Duplicates in the window: bouquet items that repeat a service, their removal, and the
// service list narrowed to the services that have copies.
class DuplicatesWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    BouquetContentsView& contents() { return f_.bouquetContents(); }
    BouquetContentsModel& items() { return f_.contentsModel(); }
    ServiceListView& services() { return f_.serviceView(); }
    QAction& removeDuplicates() { return *contents().removeDuplicatesAction(); }
    QString note() { return f_.status().note(); }
    QCheckBox& duplicatesOnly() { return f_.find<QCheckBox>("duplicatesOnly"); }
    const Workspace& workspace() { return f_.workspace(); }

    QColor background(int item) {
        return items().index(item, 0).data(Qt::BackgroundRole).value<QColor>();
    }
    std::vector<int> repeatedItems() {
        std::vector<int> repeated;
        for (int i = 0; i < items().rowCount(); ++i) {
            if (background(i) == repeatedItemBackground()) {
                repeated.push_back(i);
            }
        }
        return repeated;
    }
    std::vector<std::int32_t> shownLinks() {
        std::vector<std::int32_t> links;
        for (const auto& item : items().items()) {
            links.push_back(item.link);
        }
        return links;
    }

    // Drags the service that item `item` of the shown bouquet names from the service list onto
    // item `onto` (below the last one when none).
    void dragServiceOfItem(int item, std::optional<int> onto) {
        const auto service = f_.window().document().bouquets().locate(
            f_.bouquetList().currentSelectedPosition(), item);
        QVERIFY(service);
        const auto position = workspace().view().positionOfTableRow(*service);
        QVERIFY(position);
        clickRow(services(), static_cast<int>(*position));
        const QPoint at =
            onto ? test::rowPoint(contents(), *onto)
                 : QPoint(contents().viewport()->width() / 2, contents().viewport()->height() - 3);
        dragRowTo(services(), static_cast<int>(*position), contents(), at);
    }

    // Picks `action` in the menu that is open, by arrow keys and Return.
    void chooseByKeys(QMenu& menu, QAction& action) {
        QTRY_VERIFY(menu.isVisible());
        for (int i = 0; i < menu.actions().size() && menu.activeAction() != &action; ++i) {
            QTest::keyClick(&menu, Qt::Key_Down);
        }
        QCOMPARE(menu.activeAction(), &action);
        QTest::keyClick(&menu, Qt::Key_Return);
        QTRY_VERIFY(!menu.isVisible());
    }

private slots:
    void init() {
        f_.prepare({.sample = std::nullopt});
        // Copies of a few services; bouquets with room for more items.
        const auto sample = sample::addDuplicates(
            sample::generate(
                {.services = 300, .satellites = 4, .bouquets = 3, .maxBouquetItems = 20}),
            {.seed = 2, .groups = 6});
        sample::writeFolder(sample.files, f_.folder());
        f_.makeWindow({.active = true});
        QVERIFY(items().rowCount() >= 5);
    }
    void cleanup() { f_.stop(); }

    // Dropped after the item that holds it or before it, the service goes in either way; the
    // later of the two is coloured and the note names the other's place as the list shows it.
    void aDroppedServiceTheBouquetHoldsGoesInColouredAndTheNoteSaysWhere() {
        QVERIFY(repeatedItems().empty());
        QVERIFY(!removeDuplicates().isEnabled());
        const int n = items().rowCount();

        dragServiceOfItem(2, std::nullopt);
        QCOMPARE(items().rowCount(), n + 1);
        QCOMPARE(repeatedItems(), std::vector<int>{n});
        QCOMPARE(note(), QString("Already in this bouquet at item 3"));
        QVERIFY(removeDuplicates().isEnabled());
        QVERIFY(background(2) != repeatedItemBackground());

        dragServiceOfItem(3, 1); // lands before item 2, so the one already there moves down
        QCOMPARE(items().rowCount(), n + 2);
        QCOMPARE(repeatedItems(), (std::vector<int>{4, n + 1}));
        QCOMPARE(note(), QString("Already in this bouquet at item 5"));
    }

    // By the menu key and by Shift+F10, as a person at the keyboard reaches it; one step that
    // undo takes back whole.
    void removeDuplicateItemsIsOneStepUndoTakesBack() {
        const auto clean = shownLinks();
        dragServiceOfItem(0, std::nullopt);
        dragServiceOfItem(1, 0);
        const auto repeated = shownLinks();
        QCOMPARE(repeated.size(), clean.size() + 2);

        contents().setFocus();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        QApplication::sendEvent(&contents(), &menuKey);
        QTRY_VERIFY(contents().contextMenu()->isVisible());
        // At the current row, not where the pointer rests.
        const QRect current = contents().visualRect(contents().currentIndex());
        QCOMPARE(contents().contextMenu()->pos(),
                 contents().viewport()->mapToGlobal(current.bottomLeft()));
        QTest::keyClick(contents().contextMenu(), Qt::Key_Escape);
        QTRY_VERIFY(!contents().contextMenu()->isVisible());

        QTest::keyClick(&contents(), Qt::Key_F10, Qt::ShiftModifier);
        chooseByKeys(*contents().contextMenu(), removeDuplicates());
        // The copy dropped first stays, so the service moved up is still first.
        auto expected = clean;
        expected.erase(expected.begin() + 1);
        expected.insert(expected.begin(), clean[1]);
        QCOMPARE(shownLinks(), expected);
        QVERIFY(repeatedItems().empty());
        QVERIFY(!removeDuplicates().isEnabled());
        QCOMPARE(note(), QString("2 duplicate items removed"));
        QCOMPARE(f_.action("undoAction").text(), QString("Undo Remove 2 Duplicate Items"));

        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), repeated);
        QCOMPARE(repeatedItems().size(), 2u);
        // The copies put back are the ones selected, not every item after the first of them.
        QCOMPARE(contents().selectedPositions(), repeatedItems());
    }

    // The item put back by an undo is the one selected, though a later item names its service.
    void undoingADeleteSelectsTheItemNotItsLaterCopy() {
        dragServiceOfItem(5, std::nullopt);
        const auto withCopy = shownLinks();
        clickRow(contents(), 5);
        f_.dialogs().yesNoAnswers = {true};
        QTest::keyClick(&contents(), Qt::Key_Delete);
        QCOMPARE(shownLinks().size(), withCopy.size() - 1);
        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), withCopy);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{5});
    }

    void theMouseReachesItThroughTheMenuToo() {
        dragServiceOfItem(2, std::nullopt);
        rightClickRow(contents(), 0);
        QMenu& menu = *contents().contextMenu();
        QTRY_VERIFY(menu.isVisible());
        QTest::mouseClick(&menu, Qt::LeftButton, {},
                          menu.actionGeometry(&removeDuplicates()).center());
        QTRY_VERIFY(!menu.isVisible());
        QVERIFY(repeatedItems().empty());
        QCOMPARE(note(), QString("1 duplicate item removed"));
        QCOMPARE(contents().selectedPositions(), std::vector<int>{items().rowCount() - 1});
    }

    // Ticked by the mouse: every group's services together, largest first, one shade per
    // group alternating; by the keyboard (Tab, Space) every service comes back.
    void duplicatesOnlyListsTheGroupsEachInItsShade() {
        const DuplicateServices found = findDuplicateServices(workspace());
        QCOMPARE(found.groups.size(), 6u);
        std::vector<std::uint32_t> grouped;
        std::vector<std::uint32_t> groupOfPosition;
        for (std::size_t g = 0; g < found.groups.size(); ++g) {
            for (const std::uint32_t row : found.groups[g].services) {
                grouped.push_back(row);
                groupOfPosition.push_back(static_cast<std::uint32_t>(g + 1));
            }
        }

        QTest::mouseClick(&duplicatesOnly(), Qt::LeftButton, {}, duplicatesOnly().rect().center());
        QVERIFY(duplicatesOnly().isChecked());
        QCOMPARE(workspace().view().rows(), grouped);
        QCOMPARE(note(), QString("6 duplicate groups"));
        auto& model = *services().model();
        QCOMPARE(model.rowCount(), static_cast<int>(grouped.size()));
        for (int p = 0; p < model.rowCount(); ++p) {
            QCOMPARE(model.index(p, 0).data(Qt::BackgroundRole).value<QColor>(),
                     duplicateGroupBackground(groupOfPosition[static_cast<std::size_t>(p)]));
        }
        QVERIFY(duplicateGroupBackground(1) != duplicateGroupBackground(2));

        f_.typeFilter().setFocus();
        QTest::keyClick(&f_.typeFilter(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &duplicatesOnly());
        QTest::keyClick(&duplicatesOnly(), Qt::Key_Space);
        QVERIFY(!duplicatesOnly().isChecked());
        QCOMPARE(workspace().view().size(), workspace().services().size());
        QCOMPARE(services().model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(),
                 rowBackground(1));
    }
};

QTEST_MAIN(DuplicatesWindowTest)
#include "duplicates_window_test.moc"
