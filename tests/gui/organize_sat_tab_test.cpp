#include "app/main_window.h"
#include "app/organize_list/status_panels.h"
#include "app/organize_sat/organize_sat_tab.h"
#include "app/organize_sat/satellite_panel.h"
#include "app/organize_sat/transponder_panel.h"
#include "real_input.h"
#include "satellites/satellite_editor.h"
#include "satellites/transponder_editor.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;
namespace ac = tavrino::antenna_captions;
namespace tc = tavrino::transponder_captions;

class OrganizeSatTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    OrganizeSatTab& tab() { return *window_->organizeSatTab(); }
    SatellitePanel& satellite() { return *tab().satellitePanel(); }
    TransponderPanel& transponders() { return *tab().transponderPanel(); }

    void clickItem(QListWidget* list, int row) {
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    // Opens the list's popup with the keyboard and walks to `entry`, as a person does.
    void pick(QComboBox* list, int entry) {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < entry; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        QCOMPARE(list->currentIndex(), entry);
    }
    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempDir>();
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        test::writeSample(folder_->path(), {.services = 60, .satellites = 5, .bouquets = 1});
        window_ = std::make_unique<MainWindow>(*dialogs_,
                                               QString::fromStdString(folder_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QVERIFY(window_->openFolder(folder_->path()));
        window_->tabs()->setCurrentIndex(1);
        QApplication::processEvents();
    }
    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void captionsAndTheLastSatelliteShown() {
        QCOMPARE(window_->tabs()->tabText(1), QString("Organize Sat && TP"));
        QCOMPARE(tab().openButton()->text(), QString("Open : antenna_list.dat  &&  DVBS.dat"));
        QCOMPARE(tab().saveButton()->text(), QString("Save : antenna_list.dat  &&  DVBS.dat"));
        QCOMPARE(satellite().addButton()->text(), QString("Add Sat"));
        QCOMPARE(satellite().updateButton()->text(), QString("Update SAT"));
        QCOMPARE(satellite().deleteButton()->text(), QString("Del Sat"));
        QCOMPARE(transponders().updateButton()->text(), QString("Update TP"));
        QCOMPARE(tab().satelliteList()->count(), 5);
        QCOMPARE(tab().satelliteList()->currentRow(), 4);
        QCOMPARE(tab().antennaList()->currentRow(), 4);
    }

    // Clicking a line of either list shows that satellite in both.
    void bothListsChooseTheSameSatellite() {
        clickItem(tab().antennaList(), 1);
        QCOMPARE(tab().satelliteList()->currentRow(), 1);
        const SatelliteForm shown = satelliteForm(window_->document().workspace(), 1);
        QCOMPARE(satellite().box(satellite_captions::name)->text(),
                 QString::fromStdString(shown.name));
        clickItem(tab().satelliteList(), 2);
        QCOMPARE(tab().antennaList()->currentRow(), 2);
        QCOMPARE(transponders().list()->count(),
                 static_cast<int>(transponderLines(window_->document().workspace(), 2).size()));
    }

    void controlRulesFollowTheLists() {
        pick(satellite().list(ac::lnbType), userDefinedLnb);
        QVERIFY(satellite().box(ac::lnbFrequency)->isEnabled());
        pick(satellite().list(ac::lnbType), 0);
        QVERIFY(!satellite().box(ac::lnbFrequency)->isEnabled());
        pick(satellite().list(ac::diseqc), combinationEntry);
        QVERIFY(satellite().list(ac::committed)->isVisible());
        pick(satellite().list(ac::diseqc), 1);
        QVERIFY(!satellite().list(ac::committed)->isVisible());
        pick(satellite().list(ac::motor), diseqc12Motor);
        QVERIFY(satellite().box(ac::motorPosition)->isEnabled());
        type(satellite().box(ac::motorPosition), "7");
        pick(satellite().list(ac::motor), 2); // "USALS"
        QVERIFY(!satellite().box(ac::motorPosition)->isEnabled());
    }

    void updateWithNothingChangedWritesNothing() {
        clickItem(tab().satelliteList(), 1);
        const Bytes dvbs = window_->document().workspace().files().satelliteFiles.dvbs.bytes;
        const Bytes antenna = window_->document().workspace().files().satelliteFiles.antenna.bytes;
        QTest::mouseClick(satellite().updateButton(), Qt::LeftButton);
        clickItem(transponders().list(), 0);
        QTest::mouseClick(transponders().updateButton(), Qt::LeftButton);
        QVERIFY(window_->document().workspace().files().satelliteFiles.dvbs.bytes == dvbs);
        QVERIFY(window_->document().workspace().files().satelliteFiles.antenna.bytes == antenna);
        QVERIFY(!window_->document().workspace().modified());
    }

    void transpondersAreAddedUpdatedAndDeletedAndUndone() {
        clickItem(tab().satelliteList(), 0);
        const int before = transponders().list()->count();
        const Bytes original = window_->document().workspace().files().satelliteFiles.dvbs.bytes;
        type(transponders().box(tc::frequency), "11778000");
        type(transponders().box(tc::symbolRate), "27500000");
        QTest::mouseClick(transponders().addButton(), Qt::LeftButton);
        QCOMPARE(transponders().list()->count(), before + 1);
        QCOMPARE(transponders().list()->currentRow(), before);
        QCOMPARE(transponders().box(tc::frequency)->text(), QString("11778000"));
        type(transponders().box(tc::nid), "99");
        QTest::mouseClick(transponders().updateButton(), Qt::LeftButton);
        QCOMPARE(transponderForm(window_->document().workspace(), 0, before).nid,
                 std::string("99"));
        QTest::mouseClick(transponders().deleteButton(), Qt::LeftButton);
        QCOMPARE(transponders().list()->count(), before);
        for (int i = 0; i < 3; ++i) {
            window_->undoAction()->trigger();
        }
        QVERIFY(window_->document().workspace().files().satelliteFiles.dvbs.bytes == original);
        QCOMPARE(tab().satelliteList()->currentRow(), 0);
    }

    void aRefusedPositionSaysSoAndWritesNothing() {
        const Bytes dvbs = window_->document().workspace().files().satelliteFiles.dvbs.bytes;
        type(satellite().box(satellite_captions::position), "181");
        QTest::mouseClick(satellite().updateButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY(window_->document().workspace().files().satelliteFiles.dvbs.bytes == dvbs);
    }

    // The satellite files' save takes the same path as Save Files: it asks before replacing a
    // file changed by someone else, backs it up, and what it wrote is no change afterwards.
    void satelliteSaveAsksOverAChangeAndBacksItUp() {
        const auto dvbs = folder_->path() / "DVBS.dat";
        Bytes theirs = test::readFile(dvbs);
        theirs[200] ^= 1;
        std::filesystem::remove(dvbs);
        test::writeFile(dvbs, theirs);
        dialogs_->nextSaveFolder = folder_->path();
        dialogs_->yesNoAnswers = {false};
        QTest::mouseClick(tab().saveButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->asked.size(), std::size_t{1});
        QCOMPARE(dialogs_->asked.back().text,
                 "The files in " + folder_->path().string() +
                     " changed since they were opened. Overwrite them?");
        QVERIFY(test::readFile(dvbs) == theirs);

        dialogs_->yesNoAnswers = {true};
        QTest::mouseClick(tab().saveButton(), Qt::LeftButton);
        QVERIFY(test::readFile(dvbs) ==
                window_->document().workspace().files().satelliteFiles.dvbs.bytes);
        const auto backups = test::entries(folder_->path() / "backups" / "files");
        QCOMPARE(backups.size(), std::size_t{1});
        QVERIFY(test::readFile(folder_->path() / "backups" / "files" / *backups.begin() /
                               "DVBS.dat") == theirs);
        QVERIFY(window_->statusPanels()->note().contains("the files it replaced are in"));

        QVERIFY(window_->saveToFolder(folder_->path()));
        QCOMPARE(dialogs_->asked.size(), std::size_t{2}); // no question about its own save
    }

    // A negative frequency or symbol rate is refused naming the box; the typed text stays
    // there, selected for correcting.
    void aNegativeFrequencyOrSymbolRateIsRefusedAndTheTextStays() {
        clickItem(tab().satelliteList(), 0);
        const Bytes dvbs = window_->document().workspace().files().satelliteFiles.dvbs.bytes;
        const int count = transponders().list()->count();
        type(transponders().box(tc::frequency), "-5");
        QTest::mouseClick(transponders().addButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].text,
                 std::string("Freq: enter a whole number from 1 to 2147483647 !!!"));
        QCOMPARE(transponders().box(tc::frequency)->text(), QString("-5"));
        QVERIFY(transponders().box(tc::frequency)->hasFocus());
        QCOMPARE(transponders().list()->count(), count);

        type(transponders().box(tc::frequency), "11778000");
        type(transponders().box(tc::symbolRate), "-1");
        QTest::mouseClick(transponders().updateButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->told.size(), std::size_t{2});
        QVERIFY(dialogs_->told[1].text.rfind("SR: ", 0) == 0);
        QCOMPARE(transponders().box(tc::symbolRate)->text(), QString("-1"));
        QVERIFY(transponders().box(tc::symbolRate)->hasFocus());
        QVERIFY(window_->document().workspace().files().satelliteFiles.dvbs.bytes == dvbs);
        QVERIFY(!window_->document().workspace().modified());
    }

    void satelliteFilesOpenOnTheirOwn() {
        test::TempDir other;
        test::writeSample(other.path(), {.services = 10, .satellites = 2, .seed = 5});
        dialogs_->nextAntennaFile = other / "antenna_list.dat";
        dialogs_->nextDvbsFile = other / "DVBS.dat";
        QTest::mouseClick(tab().openButton(), Qt::LeftButton);
        QCOMPARE(tab().satelliteList()->count(), 2);
        test::TempDir out;
        dialogs_->nextSaveFolder = out.path();
        QTest::mouseClick(tab().saveButton(), Qt::LeftButton);
        QVERIFY(test::readFile(out / "DVBS.dat") == test::readFile(other / "DVBS.dat"));
        QVERIFY(!std::filesystem::exists(out / "all_channel.dat"));
    }
};

QTEST_MAIN(OrganizeSatTabTest)
#include "organize_sat_tab_test.moc"
