#include "app/organize_sat/download_window.h"
#include "app/organize_sat/import_preview_dialog.h"
#include "app/organize_sat/kingofsat_window.h"
#include "app/organize_sat/transponder_panel.h"
#include "loopback_http.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using namespace std::chrono_literals;

namespace {

std::string satXml(const std::string& name, int position) {
    return "<sat name=\"" + name + "\" flags=\"1\" position=\"" + std::to_string(position) +
           "\">\n<transponder frequency=\"10700000\" symbol_rate=\"27500000\" polarization=\"0\" "
           "fec_inner=\"3\" system=\"0\" modulation=\"1\"/>\n</sat>\n";
}

// The antenna settings of the file's first satellite.
Bytes firstAntennaRecord(const Bytes& file) {
    return Bytes(file.begin() + 32, file.begin() + 68);
}

std::string kingOfSatList(const std::string& position, const std::string& name) {
    return "[SATTYPE]\r\n1=" + position + "\r\n2=" + name +
           "\r\n[DVB]\r\n0=2\r\n1=10714,H,22000,56,DVB-S\r\n2=11778.5,V,27500,34,S2;8PSK\r\n";
}

} // namespace

class SatelliteImportWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;
    Bytes dvbs_;
    Bytes antenna_;

    QListWidget* satelliteList() { return &f_.find<QListWidget>("satelliteList"); }
    QPushButton* importXmlButton() { return &f_.button("importXmlButton"); }
    QPushButton* importKingOfSatButton() { return &f_.button("importKingOfSatButton"); }
    // The import window of that name on screen now, if any.
    template <class T> T* shown(const char* name) {
        for (T* window : f_.window().findChildren<T*>(name)) {
            if (window->isVisible()) {
                return window;
            }
        }
        return nullptr;
    }
    ImportPreviewDialog* preview() { return shown<ImportPreviewDialog>("importPreview"); }
    KingOfSatWindow* selectionWindow() { return shown<KingOfSatWindow>("kingOfSatWindow"); }
    DownloadWindow* downloadWindow() { return shown<DownloadWindow>("downloadWindow"); }
    // While an import runs, neither import button starts another.
    bool busy() { return !importXmlButton()->isEnabled() || !importKingOfSatButton()->isEnabled(); }
    const SatelliteFiles& files() { return f_.workspace().files().satelliteFiles; }

    // Nothing written, and no import window left open (one keeps the buttons busy).
    void unchanged() {
        QVERIFY(files().dvbs.bytes == dvbs_ && files().antenna.bytes == antenna_);
        QVERIFY(!f_.action("undoAction").isEnabled());
        QVERIFY(!busy());
    }
    // The sample's first satellite again, a new one, and one whose name the code page
    // cannot hold.
    ImportPreviewDialog& openXmlPreview() {
        test::writeText(f_.data() / "satellites.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n" +
                            satXml("Kept &amp; Co", files().satellites.at(0).orbitalPosition) +
                            satXml("New", 1234) + satXml("Омега", -50) + "</satellites>\n");
        f_.dialogs().nextSatellitesXml = f_.data() / "satellites.xml";
        QTest::mouseClick(importXmlButton(), Qt::LeftButton);
        ImportPreviewDialog* open = preview();
        [&] { QVERIFY(open != nullptr); }();
        return *open;
    }
    // A click on the name, beside the check box, makes the row current without a tick.
    void untick(QTreeWidget* tree, int row) {
        test::clickRow(*tree, row);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(tree->topLevelItem(row)->checkState(0), Qt::Unchecked);
    }

private slots:
    void init() {
        f_.start(
            {.sample = sample::Options{.services = 60, .satellites = 5, .bouquets = 1}, .tab = 1});
        dvbs_ = files().dvbs.bytes;
        antenna_ = files().antenna.bytes;
    }
    void cleanup() { f_.stop(); }

    // The preview names the satellite each replaces and changes nothing when cancelled;
    // unticked satellites stay out, and the import is one step that undo takes back.
    void untickedStayOutAndTheImportIsOneUndoableStep() {
        ImportPreviewDialog* preview = &openXmlPreview();
        QTreeWidget* list = preview->satelliteList();
        const QString replaced =
            QString::fromStdString(f_.workspace().codePage().toUtf8(files().satellites.at(0).name));
        QVERIFY2(list->topLevelItem(0)->text(3).startsWith("replaces " + replaced + ": +"),
                 qPrintable(list->topLevelItem(0)->text(3)));
        QVERIFY(!importXmlButton()->isEnabled());
        QTest::mouseClick(preview->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!this->preview());
        unchanged();

        preview = &openXmlPreview();
        list = preview->satelliteList();
        untick(list, 1);
        QVERIFY(preview->summary()->text().startsWith("2 of 3 satellites ticked"));
        untick(list, 0);
        untick(list, 2);
        QVERIFY2(!preview->importButton()->isEnabled(), "nothing ticked imports nothing");
        QTest::keyClick(list, Qt::Key_Space); // row 2 ticked again
        test::clickRow(*list, 0);
        QTest::keyClick(list, Qt::Key_Space);
        QTest::mouseClick(preview->importButton(), Qt::LeftButton);
        QTRY_VERIFY(!this->preview());
        QCOMPARE(satelliteList()->count(), 2);
        QVERIFY(satelliteList()->item(0)->text().contains("Kept & Co"));
        QCOMPARE(f_.find<QListWidget>("antennaList").count(), 2);
        QVERIFY(firstAntennaRecord(files().antenna.bytes) == firstAntennaRecord(antenna_));
        f_.action("undoAction").trigger();
        QCOMPARE(satelliteList()->count(), 5);
    }

    // Unticked, the box leaves the replaced satellite's antenna settings at their defaults.
    void antennaSettingsAreNotKept() {
        ImportPreviewDialog& preview = openXmlPreview();
        test::tick(preview.keepAntennaBox());
        QCOMPARE(preview.satelliteList()->topLevelItem(0)->text(5), QString("default"));
        QTest::mouseClick(preview.importButton(), Qt::LeftButton);
        QTRY_VERIFY(!this->preview());
        QVERIFY(firstAntennaRecord(files().antenna.bytes) != firstAntennaRecord(antenna_));
    }

    void aRefusedFileIsToldAndChangesNothing() {
        test::writeText(f_.data() / "broken.xml", "<tv><channel/></tv>");
        f_.dialogs().nextSatellitesXml = f_.data() / "broken.xml";
        QTest::mouseClick(importXmlButton(), Qt::LeftButton);
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told[0].text.find("broken.xml") != std::string::npos);
        unchanged();
    }

    // Cancelled at the choice, the choice is not kept; cancelled during the download, nothing
    // is imported, and the buttons come back. Then Sel.ini chooses 19.2E; a click adds 13.0E;
    // 28.2E answers 404 and is named, the others import.
    void kingOfSatIsCancelledOrDownloadsTheChoiceNamingWhatFailed() {
        test::LoopbackHttp server;
        server.answer("/a?pos=19.2E&x=1", {200, kingOfSatList("0192", "Astra 1KR"), {}, {}});
        server.answer("/b?pos=13.0E&x=1", {200, kingOfSatList("0130", "Hot Bird"), {}, {}});
        server.answer("/c?pos=28.2E&x=1", {404, "gone", {}, {}});
        server.answer("/d?pos=5.0E&x=1", {200, kingOfSatList("0050", "Slow"), 20s, {}});
        test::writeText(f_.data() / "SATList.ini", server.url("/a?pos=19.2E&x=1") + "\r\n" +
                                                       server.url("/b?pos=13.0E&x=1") + "\r\n" +
                                                       server.url("/c?pos=28.2E&x=1") + "\r\n" +
                                                       server.url("/d?pos=5.0E&x=1") + "\r\n");
        QTest::mouseClick(importKingOfSatButton(), Qt::LeftButton);
        QPointer<KingOfSatWindow> selection = selectionWindow();
        QVERIFY(selection);
        QVERIFY(!selection->downloadButton()->isEnabled()); // no Sel.ini: nothing chosen
        test::clickItem(selection->list(), 3);
        QTest::mouseClick(selection->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(selection.isNull());
        QVERIFY(!std::filesystem::exists(f_.data() / "Sel.ini"));
        unchanged();

        QTest::mouseClick(importKingOfSatButton(), Qt::LeftButton);
        selection = selectionWindow();
        QVERIFY(selection);
        test::clickItem(selection->list(), 3);
        QTest::mouseClick(selection->downloadButton(), Qt::LeftButton);
        QTRY_VERIFY(downloadWindow() && downloadWindow()->current()->text().contains("5.0E"));
        QVERIFY(!importKingOfSatButton()->isEnabled());
        QTest::mouseClick(downloadWindow()->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!busy(), 5000);
        QVERIFY(f_.dialogs().told.empty());
        unchanged();

        test::writeText(f_.data() / "Sel.ini", " 0 \r\n 2 \r\n");
        QTest::mouseClick(importKingOfSatButton(), Qt::LeftButton);
        selection = selectionWindow();
        QVERIFY(selection);
        QCOMPARE(selection->selected(), (std::vector<int>{0, 2}));
        test::clickItem(selection->list(), 1);
        QTest::mouseClick(selection->downloadButton(), Qt::LeftButton);
        QCOMPARE(test::readText(f_.data() / "Sel.ini"), std::string(" 0 \r\n 1 \r\n 2 \r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(preview(), 10000);
        ImportPreviewDialog& preview = *this->preview();
        QCOMPARE(preview.satelliteList()->topLevelItemCount(), 2);
        QVERIFY2(preview.notes()->toPlainText().contains("Failed: 28.2E"),
                 qPrintable(preview.notes()->toPlainText()));
        QTest::mouseClick(preview.importButton(), Qt::LeftButton);
        QTRY_VERIFY(!this->preview());
        QCOMPARE(satelliteList()->count(), 2);
        QCOMPARE(f_.find<TransponderPanel>("transponderPanel").list()->count(), 2);
    }
};

QTEST_MAIN(SatelliteImportWindowTest)
#include "satellite_import_window_test.moc"
