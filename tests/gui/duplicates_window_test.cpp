#include "app/organize_list/row_colors.h"
#include "reference/duplicate_services.h"
#include "samplegen/sample_duplicates.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::clickRow;
using tavrino::test::dragRowTo;

// Duplicates in the window: bouquet items that repeat a service, their removal, and the
// service list narrowed to the services that have copies.
class DuplicatesWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    BouquetContentsView& contents() { return f_.bouquetContents(); }
    QAction& removeDuplicates() { return *contents().removeDuplicatesAction(); }
    QCheckBox& duplicatesOnly() { return f_.find<QCheckBox>("duplicatesOnly"); }

    static QList<QColor> backgrounds(const QAbstractItemModel& model) {
        return test::columnOf<QColor>(model, 0, Qt::BackgroundRole);
    }
    std::vector<int> repeatedItems() {
        std::vector<int> repeated;
        const QList<QColor> shades = backgrounds(f_.contentsModel());
        for (int i = 0; i < shades.size(); ++i) {
            if (shades[i] == repeatedItemBackground()) {
                repeated.push_back(i);
            }
        }
        return repeated;
    }
    QStringList shownLinks() { return test::columnOf(f_.contentsModel(), 12); } // as shown

    // Drags the service that item `item` of the shown bouquet names from the service list onto
    // item `onto` (below the last one when none).
    void dragServiceOfItem(int item, std::optional<int> onto) {
        const auto service = f_.window().document().bouquets().locate(
            f_.bouquetList().currentSelectedPosition(), item);
        QVERIFY(service);
        const auto position = f_.workspace().view().positionOfTableRow(*service);
        QVERIFY(position);
        clickRow(f_.serviceView(), static_cast<int>(*position));
        const QPoint at =
            onto ? test::rowPoint(contents(), *onto)
                 : QPoint(contents().viewport()->width() / 2, contents().viewport()->height() - 3);
        dragRowTo(f_.serviceView(), static_cast<int>(*position), contents(), at);
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
        QVERIFY(f_.contentsModel().rowCount() >= 5);
    }
    void cleanup() { f_.stop(); }

    // Dropped after the item that holds it or before it, the service goes in either way; the
    // later of the two is coloured and the note names the other's place as the list shows it.
    void aDroppedServiceTheBouquetHoldsGoesInColouredAndTheNoteSaysWhere() {
        QVERIFY(repeatedItems().empty());
        QVERIFY(!removeDuplicates().isEnabled());
        const int n = f_.contentsModel().rowCount();

        dragServiceOfItem(2, std::nullopt);
        QCOMPARE(repeatedItems(), std::vector<int>{n});
        QCOMPARE(f_.status().note(), QString("Already in this bouquet at item 3"));
        QVERIFY(removeDuplicates().isEnabled());
        // Put back by an undo, the deleted item is the one selected, not its later copy.
        const auto withCopy = shownLinks();
        clickRow(contents(), 2);
        f_.dialogs().yesNoAnswers = {true};
        QTest::keyClick(&contents(), Qt::Key_Delete);
        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), withCopy);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{2});

        dragServiceOfItem(3, 1); // lands before item 2, so the one already there moves down
        QCOMPARE(repeatedItems(), (std::vector<int>{4, n + 1}));
        QCOMPARE(f_.status().note(), QString("Already in this bouquet at item 5"));
    }

    // By the menu key, as a person at the keyboard reaches it; one step that undo takes back
    // whole.
    void removeDuplicateItemsIsOneStepUndoTakesBack() {
        const auto clean = shownLinks();
        dragServiceOfItem(0, std::nullopt);
        dragServiceOfItem(1, 0);
        const auto repeated = shownLinks();
        QCOMPARE(repeated.size(), clean.size() + 2);

        QMenu& menu = *contents().contextMenu();
        contents().setFocus();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        QApplication::sendEvent(&contents(), &menuKey);
        QTRY_VERIFY(menu.isVisible());
        // At the current row, not where the pointer rests.
        const QRect current = contents().visualRect(contents().currentIndex());
        QCOMPARE(menu.pos(), contents().viewport()->mapToGlobal(current.bottomLeft()));
        for (int i = 0; i < 20 && menu.activeAction() != &removeDuplicates(); ++i) {
            QTest::keyClick(&menu, Qt::Key_Down);
        }
        QTest::keyClick(&menu, Qt::Key_Return);
        QTRY_VERIFY(!menu.isVisible());
        // The copy dropped first stays, so the service moved up is still first.
        auto expected = clean;
        std::swap(expected[0], expected[1]);
        QCOMPARE(shownLinks(), expected);
        QVERIFY(repeatedItems().empty());
        QVERIFY(!removeDuplicates().isEnabled());
        QCOMPARE(f_.status().note(), QString("2 duplicate items removed"));

        QTest::keyClick(&contents(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownLinks(), repeated);
        QCOMPARE(repeatedItems().size(), 2u);
        // The copies put back are the ones selected, not every item after the first of them.
        QCOMPARE(contents().selectedPositions(), repeatedItems());
    }

    // Ticked: every group's services together, largest first, one shade per group
    // alternating; unticked, every service comes back.
    void duplicatesOnlyListsTheGroupsEachInItsShade() {
        std::vector<std::uint32_t> grouped;
        QList<QColor> shades;
        for (std::uint32_t g = 1;
             const auto& group : findDuplicateServices(f_.workspace()).groups) {
            grouped.insert(grouped.end(), group.services.begin(), group.services.end());
            shades << QList<QColor>(group.services.size(), duplicateGroupBackground(g++));
        }

        test::tick(&duplicatesOnly());
        QCOMPARE(f_.workspace().view().rows(), grouped);
        QCOMPARE(f_.status().note(), QString("6 duplicate groups"));
        QCOMPARE(backgrounds(*f_.serviceView().model()), shades);

        test::tick(&duplicatesOnly());
        QCOMPARE(f_.workspace().view().size(), f_.workspace().services().size());
        QCOMPARE(backgrounds(*f_.serviceView().model())[1], rowBackground(1));
    }
};

QTEST_MAIN(DuplicatesWindowTest)
#include "duplicates_window_test.moc"
