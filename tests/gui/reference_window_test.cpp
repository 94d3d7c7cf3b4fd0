#include "app/apply_preview_dialog.h"
#include "app/main_window.h"
#include "app/organize_list/bouquet_models.h"
#include "app/organize_list/bouquet_panel.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "app/organize_list/status_panels.h"
#include "app/reference_actions.h"
#include "cli_runner.h"
#include "gui_test_support.h"
#include "reference/reference_list.h"
#include "scripted_dialogs.h"
#include "services/service_csv.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;

namespace {

std::string textOf(const std::filesystem::path& path) {
    const Bytes bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    test::writeFile(path, Bytes(text.begin(), text.end()));
}

// On its box, where a person clicks.
void clickCheckBox(QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    const QRect indicator =
        box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
    QTest::mouseClick(&box, Qt::LeftButton, {}, indicator.center());
}

QStringList column(const QTreeWidget& table, int c) {
    QStringList out;
    for (int r = 0; r < table.topLevelItemCount(); ++r) {
        out << table.topLevelItem(r)->text(c);
    }
    return out;
}

} // namespace

class ReferenceWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> data_;
    std::unique_ptr<test::TempDir> before_;
    std::unique_ptr<test::TempDir> after_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;
    sample::Files scanned_;

    Workspace& ws() { return window_->document().workspace(); }
    BouquetPanel& bouquets() { return *window_->organizeListTab()->bouquets(); }
    QStringList bouquetNames() {
        QStringList names;
        for (int r = 0; r < bouquets().listModel()->rowCount(); ++r) {
            names << bouquets().listModel()->index(r, 0).data().toString();
        }
        return names;
    }
    void trigger(const QString& entry) {
        for (QAction* action : window_->menuBar()->actions().first()->menu()->actions()) {
            if (test::shownText(action->text()) == entry) {
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable("no File menu entry " + entry));
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
        writeText(before_->path() / "list.csv", kept);
        return before_->path() / "list.csv";
    }
    ApplyPreviewDialog* openPreview(const std::filesystem::path& list) {
        dialogs_->nextCsvToRead = list;
        trigger("Apply Bouquets...");
        ApplyPreviewDialog* preview = window_->referenceActions()->preview();
        return preview != nullptr && QTest::qWaitForWindowExposed(preview) ? preview : nullptr;
    }

private slots:
    void init() {
        data_ = std::make_unique<test::TempDir>();
        before_ = std::make_unique<test::TempDir>();
        after_ = std::make_unique<test::TempDir>();
        scanned_ = sample::generate({.services = 800, .satellites = 4, .bouquets = 5, .seed = 3});
        sample::writeFolder(scanned_, before_->path());
        sample::writeFolder(sample::rescan(scanned_, {.seed = 8}).files, after_->path());
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void exportWritesTheBouquetsAsAReferenceList() {
        QVERIFY(window_->openFolder(before_->path()));
        dialogs_->nextCsvToWrite = data_->path() / "mine.csv";
        trigger("Export Bouquets...");
        // The first one starts in the folder open.
        QCOMPARE(dialogs_->suggestedCsv,
                 QString::fromStdString((before_->path() / "bouquets.csv").string()));
        QCOMPARE(textOf(data_->path() / "mine.csv"), exportReferenceList(ws()));
        QVERIFY(dialogs_->told.empty());
        dialogs_->nextCsvToWrite = after_->path() / "again.csv";
        trigger("Export Bouquets...");
        trigger("Export Bouquets...");
        // The dialog starts where the last file went.
        QCOMPARE(dialogs_->suggestedCsv,
                 QString::fromStdString((after_->path() / "bouquets.csv").string()));
    }

    void thePreviewShowsEachBouquetAndTheRowsToLookAt() {
        QVERIFY(window_->openFolder(after_->path()));
        ApplyPreviewDialog* preview = openPreview(listWithoutTheLastBouquet());
        QVERIFY(preview != nullptr);
        QVERIFY(preview->isModal());
        QCOMPARE(preview->applyButton()->text(), QString("Apply"));
        QCOMPARE(preview->cancelButton()->text(), QString("Cancel"));
        QCOMPARE(preview->replaceAllBox()->text(), QString("Replace all bouquets"));
        const QTreeWidget& table = *preview->bouquetTable();
        const QStringList names = bouquetNames();
        QCOMPARE(column(table, 0), (names + QStringList{"Neu"}));
        QCOMPARE(column(table, 1),
                 QStringList({"Replaced", "Replaced", "Replaced", "Replaced", "Kept", "New"}));
        QVERIFY(column(*preview->rowTable(), 4).contains("Not found"));
        int notFound = 0;
        for (const auto& b : preview->plan().bouquets) {
            notFound += b.notFound;
        }
        QCOMPARE(column(*preview->rowTable(), 4).count("Not found"), notFound);

        clickCheckBox(*preview->replaceAllBox());
        QVERIFY(preview->replaceAllBox()->isChecked());
        QCOMPARE(column(table, 0), (names.mid(0, 4) + QStringList{"Neu", names.last()}));
        QCOMPARE(column(table, 1).mid(4), QStringList({"New", "Removed"}));
        QVERIFY(preview->plan().replaceAll);
    }

    void applyRebuildsTheListsAndUndoTakesItBack() {
        QVERIFY(window_->openFolder(after_->path()));
        const QStringList before = bouquetNames();
        const Bytes bytes = ws().channelBytes();
        QCOMPARE(bouquets().contentsModel()->items().front().name, std::string("IME"));
        ApplyPreviewDialog* preview = openPreview(listWithoutTheLastBouquet());
        QVERIFY(preview != nullptr);
        clickCheckBox(*preview->replaceAllBox());
        QTest::mouseClick(preview->applyButton(), Qt::LeftButton);
        QApplication::processEvents();
        QVERIFY(window_->referenceActions()->preview() == nullptr);
        QCOMPARE(bouquetNames(), (before.mid(0, 4) + QStringList{"Neu"}));
        QVERIFY(!bouquets().contentsModel()->items().empty());
        for (const auto& item : bouquets().contentsModel()->items()) {
            QVERIFY(item.name != "IME");
        }
        QCOMPARE(window_->undoAction()->text(), QString("Undo Apply Bouquets"));
        QVERIFY(ws().modified());
        // Nothing is on disk yet, and the note does not say otherwise.
        QVERIFY(window_->statusPanels()->note().startsWith("Bouquets applied in the list: "));
        QVERIFY(window_->statusPanels()->note().endsWith("; not saved yet"));

        window_->undoAction()->trigger();
        QCOMPARE(bouquetNames(), before);
        QCOMPARE(ws().channelBytes(), bytes);
        QCOMPARE(bouquets().contentsModel()->items().front().name, std::string("IME"));
    }

    void cancelChangesNothing() {
        QVERIFY(window_->openFolder(after_->path()));
        const Bytes bytes = ws().channelBytes();
        ApplyPreviewDialog* preview = openPreview(listWithoutTheLastBouquet());
        QVERIFY(preview != nullptr);
        QTest::mouseClick(preview->cancelButton(), Qt::LeftButton);
        QApplication::processEvents();
        QVERIFY(window_->referenceActions()->preview() == nullptr);
        QCOMPARE(ws().channelBytes(), bytes);
        QVERIFY(!ws().history().canUndo());
    }

    void aMalformedListIsRefusedWithItsLine() {
        QVERIFY(window_->openFolder(after_->path()));
        writeText(data_->path() / "bad.csv",
                  "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type\n"
                  "A,1,N,S,1.0E,11778,H,1,2,3,TV\n"
                  "A,2,N,S,1.0E,11778,H,1,2\n");
        QVERIFY(openPreview(data_->path() / "bad.csv") == nullptr);
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY2(dialogs_->told[0].text.find("bad.csv is damaged: line 3:") == 0,
                 dialogs_->told[0].text.c_str());
        QVERIFY(!ws().history().canUndo());
    }

    void exportServiceListWritesTheViewAsShown() {
        QVERIFY(window_->openFolder(before_->path()));
        window_->organizeListTab()->typeFilter()->setCurrentIndex(2); // Radio
        QHeaderView* header = window_->organizeListTab()->serviceView()->horizontalHeader();
        const QPoint name(header->sectionViewportPosition(colService) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
        dialogs_->nextCsvToWrite = data_->path() / "services.csv";
        trigger("Export Service List...");
        QVERIFY(dialogs_->suggestedCsv.endsWith("services.csv"));
        const std::string text = textOf(data_->path() / "services.csv");
        QCOMPARE(text, serviceListCsv(ws().services(), ws().view()));
        const auto rows = test::lines(text);
        QCOMPARE(rows.size(), ws().view().size() + 1);
        QVERIFY(rows[0].rfind("Service,Provider,Type,Satellite,Frequency", 0) == 0);
        const std::string first = ws().services().serviceName(ws().view().tableRow(0));
        QVERIFY(rows[1].rfind(first, 0) == 0);
        const auto folded = [&](std::size_t p) {
            return ws().codePage().folded(ws().services().row(ws().view().tableRow(p)).record.name);
        };
        QVERIFY2(folded(0) >= folded(1), "sorted by name, descending, as the click left it");
    }
};

QTEST_MAIN(ReferenceWindowTest)
#include "reference_window_test.moc"
