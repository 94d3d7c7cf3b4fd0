#include "app/bouquet_models.h"
#include "app/bouquet_panel.h"
#include "app/bouquet_views.h"
#include "app/main_window.h"
#include "app/name_dialog.h"
#include "app/organize_list_tab.h"
#include "app/service_list_view.h"
#include "app/service_model.h"
#include "app/status_panels.h"
#include "gui_test_support.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "widgets/ctooltip.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::actionTexts;

namespace {} // namespace

class BouquetPanelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    BouquetPanel& panel() { return *window_->organizeListTab()->bouquets(); }
    BouquetListView& list() { return *panel().listView(); }
    BouquetContentsView& contents() { return *panel().contentsView(); }
    ServiceListView& services() { return *window_->organizeListTab()->serviceView(); }
    QStringList bouquetNames() {
        QStringList names;
        for (int r = 0; r < panel().listModel()->rowCount(); ++r) {
            names << panel().listModel()->index(r, 0).data().toString();
        }
        return names;
    }
    QString status(int panelNumber) { return window_->statusPanels()->panelText(panelNumber); }

    void open(int bouquets) {
        test::writeSample(folder_->path(),
                          {.services = 300, .satellites = 4, .bouquets = bouquets});
        QVERIFY(window_->openFolder(folder_->path()));
    }

    // Services at these view positions, dropped on the contents as a drag would.
    void dropServices(const std::vector<int>& positions, int row) {
        QModelIndexList indexes;
        for (const int p : positions) {
            indexes << window_->organizeListTab()->serviceModel()->index(p, 0);
        }
        std::unique_ptr<QMimeData> mime(
            window_->organizeListTab()->serviceModel()->mimeData(indexes));
        panel().contentsModel()->dropMimeData(mime.get(), Qt::CopyAction, row, 0, {});
        QApplication::processEvents();
    }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempDir>();
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        window_ = std::make_unique<MainWindow>(*dialogs_,
                                               QString::fromStdString(folder_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void menusAndColumnsHaveTheirCaptions() {
        QCOMPARE(actionTexts(list().contextMenu()->actions()),
                 QStringList({"Remove Bouquet", "Insert Bouquets", "Add Bouquets", "-",
                              "Rename Bouquets", "-", "Cut Bouquet      (Ctrl+X)",
                              "Copy Bouquet   (Ctrl+C)", "Paste Bouquet   (Ctrl+V)"}));
        QCOMPARE(actionTexts(contents().contextMenu()->actions()),
                 QStringList(
                     {"Delete Item", "-", "Cut", "Copy", "Paste", "-", "Locate In Service List"}));
        QCOMPARE(panel().listModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("Bouquets Name"));
        QCOMPARE(contents().toolTip(), QString("Duble click to remove item"));
        QCOMPARE(panel().contentsModel()->columnCount(), 14);
        QVERIFY(!contents().isColumnHidden(2));
        QVERIFY(contents().isColumnHidden(3));
        QCOMPARE(list().renameAction()->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(list().insertAction()->shortcut(), QKeySequence("Shift+Ins"));
        QCOMPARE(contents().locateAction()->shortcut(), QKeySequence("Ctrl+L"));
    }

    void openingListsBouquetsAndShowsTheFirst() {
        open(6);
        QCOMPARE(panel().listModel()->rowCount(), 6);
        QCOMPARE(list().currentSelectedPosition(), 0);
        QCOMPARE(panel().contentsModel()->rowCount(), 200);
        QCOMPARE(status(4), QString("Items in Bouquet : 200"));
        QCOMPARE(status(5), QString("Bouquets : 6"));
        list().selectPositions({2});
        QCOMPARE(status(4),
                 QString("Items in Bouquet : %1").arg(panel().contentsModel()->rowCount()));
    }

    void addAsksForANameAndSelectsTheNewBouquet() {
        open(2);
        list().addBouquetAction()->trigger();
        NameDialog* dialog = panel().nameDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("Tavrino"));
        QVERIFY(!dialog->isModal());
        dialog->nameBox()->setText("Sport");
        QTest::keyClick(dialog->nameBox(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(bouquetNames().last(), QString("Sport"));
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(status(5), QString("Bouquets : 3"));
        QCOMPARE(status(4), QString("Items in Bouquet : 0"));

        list().renameAction()->trigger();
        dialog->nameBox()->setText("Never");
        dialog->reject();
        QCOMPARE(bouquetNames().last(), QString("Sport"));
    }

    void keysReachTheirCommands() {
        open(3);
        list().setFocus();
        list().selectPositions({1});
        const QString second = bouquetNames()[1];
        dialogs_->yesNoAnswers = {false};
        QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(dialogs_->asked.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(dialogs_->asked[0].text),
                 QString("Are you sure you want to delete Bouquet : %1 ?\r\n\r\n").arg(second));
        QCOMPARE(bouquetNames().size(), 3);
        QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(&list(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(bouquetNames().size(), 4);
        QCOMPARE(bouquetNames()[1], second);
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(panel().nameDialog()->isVisible());
        panel().nameDialog()->reject();

        contents().setFocus();
        contents().selectPositions({0, 1});
        dialogs_->yesNoAnswers = {true};
        const int before = panel().contentsModel()->rowCount();
        QTest::keyClick(&contents(), Qt::Key_Delete);
        QCOMPARE(panel().contentsModel()->rowCount(), before - 2);
        QCOMPARE(status(4), QString("Items in Bouquet : %1").arg(before - 2));
    }

    void droppedServicesLandBeforeTheTargetRow() {
        open(1);
        list().addBouquetAction()->trigger();
        panel().nameDialog()->nameBox()->setText("Mine");
        QTest::keyClick(panel().nameDialog()->nameBox(), Qt::Key_Return);
        dropServices({0, 1, 2}, -1);
        QCOMPARE(panel().contentsModel()->rowCount(), 3);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{2});
        dropServices({10, 11}, 0);
        QCOMPARE(panel().contentsModel()->rowCount(), 5);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{1});
        const auto& items = panel().contentsModel()->items();
        QCOMPARE(QString::fromStdString(items[0].name),
                 window_->organizeListTab()->serviceModel()->index(10, 0).data().toString());
        QCOMPARE(items[4].position, std::uint16_t{5});

        // Reorder: items 0 and 2 dropped on item 4.
        contents().selectPositions({0, 2});
        std::unique_ptr<QMimeData> mime(panel().contentsModel()->mimeData(
            {panel().contentsModel()->index(0, 0), panel().contentsModel()->index(2, 0)}));
        const std::int32_t first = items[0].link;
        panel().contentsModel()->dropMimeData(mime.get(), Qt::CopyAction, 4, 0, {});
        QApplication::processEvents();
        QCOMPARE(panel().contentsModel()->items()[2].link, first);
        QCOMPARE(contents().selectedPositions(), std::vector<int>{3});
    }

    void dropWithoutBouquetsSaysSo() {
        open(0);
        dropServices({0}, -1);
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].text, std::string("You must create bouquet first !!!"));
    }

    void bouquetsMoveByDragging() {
        open(4);
        const QStringList before = bouquetNames();
        dialogs_->yesNoAnswers = {true};
        std::unique_ptr<QMimeData> mime(
            panel().listModel()->mimeData({panel().listModel()->index(1, 0)}));
        panel().listModel()->dropMimeData(mime.get(), Qt::CopyAction, -1, -1,
                                          panel().listModel()->index(3, 0));
        QApplication::processEvents();
        QCOMPARE(bouquetNames(), QStringList({before[0], before[2], before[1], before[3]}));
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(QString::fromStdString(dialogs_->asked.back().text),
                 QString("Are you sure you want to move Bouquet : %1 ?\r\n\r\n").arg(before[1]));
    }

    void doubleClickRemovesOneItem() {
        open(2);
        const int before = panel().contentsModel()->rowCount();
        dialogs_->yesNoAnswers = {true};
        contents().selectPositions({1});
        emit contents().doubleClicked(panel().contentsModel()->index(1, 0));
        QApplication::processEvents();
        QCOMPARE(dialogs_->asked.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(dialogs_->asked.back().text),
                 QString("Are you sure you want to delete 1 services from this bouquet ?\r\n\r\n"));
        QCOMPARE(panel().contentsModel()->rowCount(), before - 1);
    }

    void flagCommandsReselectTheBouquet() {
        open(4);
        list().selectPositions({2});
        const int items = panel().contentsModel()->rowCount();
        services().selectPositions({0});
        services().lockAction()->trigger();
        QCOMPARE(list().currentSelectedPosition(), 2);
        QCOMPARE(panel().contentsModel()->rowCount(), items);
    }

    void locateFindsTheServiceEvenWhenFilteredOut() {
        open(2);
        contents().selectPositions({3});
        const auto item = panel().contentsModel()->items()[3];
        // Filter the service list to a satellite the item is not on.
        auto* filter = window_->organizeListTab()->satelliteFilter();
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
        const auto row =
            window_->workspace().view().tableRow(static_cast<std::size_t>(selected[0]));
        QCOMPARE(window_->workspace().services().row(row).record.flag, item.link);
        QCOMPARE(window_->workspace().services().row(row).record.sid, item.sid);
        QVERIFY(services().hasFocus());
    }

    void hoveringAnItemShowsItsDetails() {
        open(1);
        const QRect rect = contents().visualRect(panel().contentsModel()->index(2, 0));
        QTest::mouseMove(contents().viewport(), rect.center());
        QApplication::processEvents();
        QCOMPARE(window_->tooltip().Title(), QString("User Bouquet details"));
        QVERIFY(window_->tooltip().TipText().contains("Ch.No.: 3"));
    }
};

QTEST_MAIN(BouquetPanelTest)
#include "bouquet_panel_test.moc"
