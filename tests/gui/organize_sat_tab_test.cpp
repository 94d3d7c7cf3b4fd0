#include "app/organize_sat/satellite_panel.h"
#include "app/organize_sat/transponder_panel.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
namespace ac = tavrino::antenna_captions;
namespace tc = tavrino::transponder_captions;

class OrganizeSatTabTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    SatellitePanel& satellite() { return f_.find<SatellitePanel>("satellitePanel"); }
    TransponderPanel& transponders() { return f_.find<TransponderPanel>("transponderPanel"); }
    QListWidget* satelliteList() { return &f_.find<QListWidget>("satelliteList"); }
    QListWidget* antennaList() { return &f_.find<QListWidget>("antennaList"); }
    QPushButton* saveButton() { return &f_.button("saveSatelliteFilesButton"); }
    bool anythingToUndo() { return f_.action("undoAction").isEnabled(); }

private slots:
    void init() {
        f_.start({.sample = sample::Options{.services = 60, .satellites = 5, .bouquets = 1},
                  .dataInFolder = true,
                  .tab = 1});
    }
    void cleanup() { f_.stop(); }

    // The last satellite is shown at the start; clicking a line of either list shows that
    // satellite in both, and Update with nothing changed writes nothing. A change of an antenna
    // list reaches the rule of the controls: "USER DEF." opens the LNB frequency.
    void bothListsShowTheSameSatelliteAndTheListsRuleTheControls() {
        QCOMPARE(satelliteList()->count(), 5);
        QCOMPARE(satelliteList()->currentRow(), 4);
        QCOMPARE(antennaList()->currentRow(), 4);
        test::clickItem(antennaList(), 1);
        QCOMPARE(satelliteList()->currentRow(), 1);
        QCOMPARE(satellite().box(satellite_captions::name)->text(),
                 QString::fromStdString(satelliteForm(f_.workspace(), 1).name));
        QTest::mouseClick(satellite().updateButton(), Qt::LeftButton);
        test::clickItem(satelliteList(), 2);
        QCOMPARE(antennaList()->currentRow(), 2);
        QCOMPARE(transponders().list()->count(),
                 static_cast<int>(transponderLines(f_.workspace(), 2).size()));
        test::clickItem(transponders().list(), 0);
        QTest::mouseClick(transponders().updateButton(), Qt::LeftButton);
        QVERIFY(!anythingToUndo());

        QComboBox* lnbType = satellite().list(ac::lnbType);
        QTest::keyClicks(lnbType, "US"); // typed, as a person picks from a closed list
        QVERIFY(satellite().box(ac::lnbFrequency)->isEnabled());
        QTest::keyClick(lnbType, Qt::Key_Home);
        QVERIFY(!satellite().box(ac::lnbFrequency)->isEnabled());

        // Tab goes from E/W to the fields, then the buttons that act on them.
        QComboBox* eastWest = satellite().findChild<QComboBox*>("E/W");
        eastWest->setFocus(Qt::TabFocusReason);
        QTest::keyClick(eastWest, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), satellite().box(ac::netIndex));
        satellite().addButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(satellite().addButton(), Qt::Key_Backtab);
        QVERIFY(f_.find<QWidget>("antennaControls").isAncestorOf(QApplication::focusWidget()));
    }

    // A refused value is told naming its box; the typed text stays there with the focus, and
    // nothing is written. Transponders are added, updated and deleted, and undone with their
    // satellite still shown.
    void transpondersAreEditedAndRefusedValuesTold() {
        // The box, what is typed, the button clicked, how the message starts.
        using Case = std::tuple<QLineEdit*, const char*, QPushButton*, std::string>;
        test::clickItem(satelliteList(), 0);
        const Case cases[] = {
            {satellite().box(satellite_captions::position), "181", satellite().updateButton(), ""},
            {transponders().box(tc::symbolRate), "-1", transponders().updateButton(), "SR: "},
            {transponders().box(tc::frequency), "-5", transponders().addButton(),
             "Freq: enter a whole number from 1 to 2147483647 !!!"},
        };
        const int before = transponders().list()->count();
        for (const auto& [box, text, button, message] : cases) {
            f_.dialogs().told.clear();
            test::typeInto(box, text);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
            QVERIFY2(f_.dialogs().told[0].text.rfind(message, 0) == 0,
                     f_.dialogs().told[0].text.c_str());
            QCOMPARE(box->text(), QString(text));
            QVERIFY(box->hasFocus());
        }
        QVERIFY(!anythingToUndo());

        test::typeInto(transponders().box(tc::frequency), "11778000");
        test::typeInto(transponders().box(tc::symbolRate), "27500000");
        QTest::mouseClick(transponders().addButton(), Qt::LeftButton);
        QCOMPARE(transponders().list()->currentRow(), before); // the new one, last
        test::typeInto(transponders().box(tc::nid), "99");
        QTest::mouseClick(transponders().updateButton(), Qt::LeftButton);
        QCOMPARE(transponders().list()->currentRow(), before);
        QCOMPARE(transponders().box(tc::nid)->text(), QString("99"));
        QTest::mouseClick(transponders().deleteButton(), Qt::LeftButton);
        QCOMPARE(transponders().list()->count(), before);
        for (int step = 0; step < 3; ++step) {
            f_.action("undoAction").trigger();
            QCOMPARE(satelliteList()->currentRow(), 0); // the satellite stays shown
        }
        QCOMPARE(transponders().list()->count(), before);
        QVERIFY(!anythingToUndo());
    }

    // The satellite files' save asks through the window before replacing a file changed by
    // someone else, and names the backup (what the policy does is the core's).
    void satelliteFilesAreOpenedAndSavedOnTheirOwn() {
        const auto dvbs = f_.folder() / "DVBS.dat";
        Bytes theirs = test::readFile(dvbs);
        theirs[200] ^= 1;
        std::filesystem::remove(dvbs);
        test::writeFile(dvbs, theirs);
        f_.dialogs().nextSaveFolder = f_.folder();
        f_.dialogs().yesNoAnswers = {false};
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(f_.dialogs().asked.size(), std::size_t{1});
        QVERIFY(test::readFile(dvbs) == theirs);

        f_.dialogs().yesNoAnswers = {true};
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QVERIFY(test::readFile(dvbs) == f_.workspace().files().satelliteFiles.dvbs.bytes);
        QVERIFY(f_.status().note().contains("the files it replaced are in"));

        // Opened on their own and saved elsewhere, they go without the channel list.
        test::TempDir other;
        test::writeSample(other.path(), {.services = 10, .satellites = 2, .seed = 5});
        f_.dialogs().nextAntennaFile = other / "antenna_list.dat";
        f_.dialogs().nextDvbsFile = other / "DVBS.dat";
        QTest::mouseClick(&f_.button("openSatelliteFilesButton"), Qt::LeftButton);
        QCOMPARE(satelliteList()->count(), 2);
        test::TempDir out;
        f_.dialogs().nextSaveFolder = out.path();
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QVERIFY(test::readFile(out / "DVBS.dat") == test::readFile(other / "DVBS.dat"));
        QVERIFY(!std::filesystem::exists(out / "all_channel.dat"));
    }
};

QTEST_MAIN(OrganizeSatTabTest)
#include "organize_sat_tab_test.moc"
