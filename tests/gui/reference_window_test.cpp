#include "app/apply_preview_dialog.h"
#include "cli_runner.h"
#include "reference/reference_list.h"
#include "services/service_csv.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;

class ReferenceWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;
    std::unique_ptr<test::TempDir> before_;
    std::unique_ptr<test::TempDir> after_;

    Workspace& ws() { return f_.workspace(); }
    const std::vector<BouquetItem>& shownItems() { return f_.contentsModel().items(); }
    void trigger(const QString& entry) { f_.fileEntry(entry).trigger(); }
    ApplyPreviewDialog* preview() {
        return f_.window().findChild<ApplyPreviewDialog*>("applyPreviewDialog");
    }
    // The list of the sample before its rescan, without its last bouquet and with a new one.
    std::filesystem::path listWithoutTheLastBouquet() {
        Workspace old;
        old.openFolder(before_->path());
        const std::string last = old.codePage().toUtf8(old.files().bouquets.rows.back().name);
        std::string kept;
        for (const auto& line : test::lines(exportReferenceList(old))) {
            if (line.rfind(last + ",", 0) != 0) {
                kept += line + "\n";
            }
        }
        kept += "Neu,,,,,,,,,,\n";
        test::writeText(before_->path() / "list.csv", kept);
        return before_->path() / "list.csv";
    }
    ApplyPreviewDialog* openPreview(const std::filesystem::path& list) {
        f_.dialogs().nextCsvToRead = list;
        trigger("Apply Bouquets...");
        ApplyPreviewDialog* shown = preview();
        return shown != nullptr && QTest::qWaitForWindowExposed(shown) ? shown : nullptr;
    }

private slots:
    // A scan and its rescan: services reordered, some gone or renamed.
    void init() {
        before_ = std::make_unique<test::TempDir>();
        after_ = std::make_unique<test::TempDir>();
        const auto scanned =
            sample::generate({.services = 800, .satellites = 4, .bouquets = 5, .seed = 3});
        sample::writeFolder(scanned, before_->path());
        sample::writeFolder(sample::rescan(scanned, {.seed = 8}).files, after_->path());
        f_.start({.sample = std::nullopt});
    }
    void cleanup() { f_.stop(); }

    // A malformed list is refused naming it. The preview shows each bouquet and the rows to
    // look at, and changes nothing when cancelled; applied, the lists are rebuilt in one step
    // that undo takes back.
    void thePreviewShowsTheBouquetsAndApplyRebuildsThem() {
        QVERIFY(f_.window().openFolder(after_->path()));
        test::writeText(f_.data() / "bad.csv",
                        "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type\n"
                        "A,1,N,S,1.0E,11778,H,1,2,3,TV\n"
                        "A,2,N,S,1.0E,11778,H,1,2\n");
        QVERIFY(openPreview(f_.data() / "bad.csv") == nullptr);
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told[0].text.find("bad.csv") != std::string::npos);
        const QStringList before = f_.bouquetNames();
        QCOMPARE(shownItems().front().name, std::string("IME"));
        const auto list = listWithoutTheLastBouquet();
        ApplyPreviewDialog* preview = openPreview(list);
        QVERIFY(preview != nullptr);
        const QTreeWidget& table = *preview->bouquetTable();
        // A line per bouquet and the rows' results; which fate each gets is the core's.
        QCOMPARE(test::columnOf(*table.model(), 0), (before + QStringList{"Neu"}));
        QVERIFY(test::columnOf(*preview->rowTable()->model(), 4).contains("Not found"));
        test::tick(preview->replaceAllBox());
        QCOMPARE(test::columnOf(*table.model(), 1).last(),
                 QString("Removed")); // the box reached the plan
        QTest::mouseClick(preview->cancelButton(), Qt::LeftButton);
        QApplication::processEvents();
        QVERIFY(this->preview() == nullptr);
        QVERIFY(!ws().history().canUndo());

        preview = openPreview(list);
        QVERIFY(preview != nullptr);
        test::tick(preview->replaceAllBox());
        QTest::mouseClick(preview->applyButton(), Qt::LeftButton);
        QApplication::processEvents();
        QVERIFY(this->preview() == nullptr);
        QCOMPARE(f_.bouquetNames(), (before.mid(0, 4) + QStringList{"Neu"}));
        QVERIFY(shownItems().front().name != "IME"); // the shown bouquet rebuilt too
        // Nothing is on disk yet, and the note does not say otherwise.
        QVERIFY(f_.status().note().startsWith("Bouquets applied in the list: "));
        QVERIFY(f_.status().note().endsWith("; not saved yet"));
        f_.action("undoAction").trigger();
        QCOMPARE(f_.bouquetNames(), before);
        QCOMPARE(shownItems().front().name, std::string("IME"));
    }

    // The bouquets as a reference list, then the service list as the view shows it; each
    // file dialog starts where the last file went.
    void exportsWriteTheBouquetsAndTheViewAsShown() {
        QVERIFY(f_.window().openFolder(before_->path()));
        f_.dialogs().nextCsvToWrite = f_.data() / "mine.csv";
        trigger("Export Bouquets...");
        // The first one starts in the folder open.
        QCOMPARE(f_.dialogs().suggestedCsv,
                 QString::fromStdString((before_->path() / "bouquets.csv").string()));
        QCOMPARE(test::readText(f_.data() / "mine.csv"), exportReferenceList(ws()));
        f_.dialogs().nextCsvToWrite = after_->path() / "again.csv";
        trigger("Export Bouquets...");
        trigger("Export Bouquets...");
        QCOMPARE(f_.dialogs().suggestedCsv,
                 QString::fromStdString((after_->path() / "bouquets.csv").string()));

        f_.typeFilter().setCurrentIndex(2); // Radio
        test::clickHeader(*f_.serviceView().horizontalHeader(), colService);
        f_.dialogs().nextCsvToWrite = f_.data() / "services.csv";
        trigger("Export Service List...");
        QCOMPARE(f_.dialogs().suggestedCsv,
                 QString::fromStdString((after_->path() / "services.csv").string()));
        const std::string text = test::readText(f_.data() / "services.csv");
        QCOMPARE(text, serviceListCsv(ws().services(), ws().view()));
        const auto folded = [&](std::size_t p) {
            return ws().codePage().folded(ws().services().row(ws().view().tableRow(p)).record.name);
        };
        QVERIFY2(folded(0) >= folded(1), "sorted by name, descending, as the click left it");
    }
};

QTEST_MAIN(ReferenceWindowTest)
#include "reference_window_test.moc"
