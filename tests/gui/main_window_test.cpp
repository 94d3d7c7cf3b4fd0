#include "app/main_window.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "app/organize_list/status_panels.h"
#include "app/organize_sat/organize_sat_tab.h"
#include "app/screen_fit.h"
#include "database/layout.h"
#include "gui_test_support.h"
#include "real_input.h"
#include "scripted_dialogs.h"
#include "services/service_details.h"
#include "test_support.h"
#include "widgets/ctooltip.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QWindow>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::actionTexts;

namespace {

QString cell(MainWindow& window, int position, int column) {
    return window.organizeListTab()->serviceModel()->index(position, column).data().toString();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::TempDir> data_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    MainWindow& window() { return *window_; }
    OrganizeListTab& tab() { return *window_->organizeListTab(); }
    ServiceListView& view() { return *tab().serviceView(); }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempDir>();
        data_ = std::make_unique<test::TempDir>();
        test::writeSample(folder_->path(), {.services = 600, .satellites = 5, .bouquets = 6});
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
    }

    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void showsTheCaptionsMenusAndTabs() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QCOMPARE(window().windowHandle()->title(), QString("Tavrino v.0.9.2880"));
        // Each entry has its mnemonic; the captions read as ever.
        QCOMPARE(
            actionTexts(window().menuBar()->actions()),
            QStringList({"&File", "&Edit", "&Organize List", "&Receive Files from Orvix",
                         "&Send Files to Orvix", "Organize Sat && &TP", "O&ptions", "&About"}));
        QCOMPARE(test::shownText(window().menuBar()->actions()[5]->text()),
                 QString("Organize Sat & TP"));
        QCOMPARE(actionTexts(window().menuBar()->actions().first()->menu()->actions()),
                 QStringList({"&Open", "&Save", "&Export Bouquets...", "&Apply Bouquets...",
                              "Export Service &List...", "-", "&Recent Folders",
                              "Open &Backup Folder", "-", "E&xit"}));
        QStringList tabs;
        for (int i = 0; i < window().tabs()->count(); ++i) {
            tabs << window().tabs()->tabText(i);
        }
        QCOMPARE(tabs, QStringList({"Organize List", "Organize Sat && TP", "Options"}));
        QCOMPARE(
            actionTexts(view().contextMenu()->actions()),
            QStringList({"LOCK", "UnLOCK", "-", "Insert HD Flag", "Remove HD Flag", "-", "Edit"}));
        QCOMPARE(tab().searchBox()->toolTip(), QString("Enter (part of) ServiceName to Filter"));
        // 873 x 600, or the whole screen where that is smaller.
        QCOMPARE(window().minimumSize(),
                 fitWithin(QSize(873, 600), roomOnScreen(&window()).size()));
        QCOMPARE(window().tabs()->currentIndex(), 0);
        QVERIFY(!window().windowIcon().isNull());
    }

    void nothingIsCutOffAtTheMinimumSize() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        window().resize(window().minimumSize());
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QApplication::processEvents();
        const QRect area = window().rect();
        for (QWidget* w : std::initializer_list<QWidget*>{
                 tab().openButton(), tab().saveButton(), tab().clipboardButton(),
                 tab().satelliteFilter(), tab().typeFilter(), tab().searchBox()}) {
            const QRect box(w->mapTo(&window(), QPoint(0, 0)), w->size());
            QVERIFY2(area.contains(box), qPrintable(w->objectName()));
            QVERIFY(w->width() >= w->minimumSizeHint().width());
        }
        if (qEnvironmentVariableIsSet("TAVRINO_SHOT")) {
            window().grab().save(qEnvironmentVariable("TAVRINO_SHOT"));
        }
    }

    void menuEntriesSelectTheirTabs() {
        const auto actions = window().menuBar()->actions();
        actions[5]->trigger();
        QCOMPARE(window().tabs()->currentIndex(), 1);
        actions[6]->trigger();
        QCOMPARE(window().tabs()->currentIndex(), 2);
        actions[2]->trigger();
        QCOMPARE(window().tabs()->currentIndex(), 0);
    }

    void openingFillsTheViewAndTheStatusBar() {
        dialogs_->nextChannelFile = folder_->path() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(tab().serviceModel()->rowCount(), 600);
        QCOMPARE(window().statusPanels()->panelText(3), QString("Total Services : 600"));
        QCOMPARE(window().statusPanels()->panelText(5), QString("Bouquets : 6"));
        QCOMPARE(tab().satelliteFilter()->itemText(0), QString("- All Satellites -"));
        QCOMPARE(
            tab().satelliteFilter()->count(),
            static_cast<int>(window().document().workspace().services().satelliteNames().size()) +
                1);
        QCOMPARE(tab().typeFilter()->itemText(2), QString("Radio"));
        QVERIFY(view().isColumnHidden(colLokacija));
        QVERIFY(!view().isColumnHidden(colTxt));
        QCOMPARE(view().columnWidth(colService), 188);
        QCOMPARE(tab().serviceModel()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(250, 250, 255));
        QCOMPARE(tab().serviceModel()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(Qt::white));
        QVERIFY(dialogs_->told.empty());
    }

    void aCancelledDialogDoesNothing() {
        dialogs_->nextChannelFile.reset();
        window().openFiles();
        QVERIFY(!window().document().workspace().channelLoaded());
        QVERIFY(!window().saveFiles());
    }

    void aRefusedFileShowsItsMessageAndKeepsTheView() {
        QVERIFY(window().openFolder(folder_->path()));
        test::TempDir old;
        auto files = sample::generate({});
        files.channel[0] = 5;
        sample::writeFolder(files, old.path());
        QVERIFY(!window().openFolder(old.path()));
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].title, std::string("Tavrino"));
        QCOMPARE(dialogs_->told[0].text, std::string("Version < 6 is not supported"));
        QCOMPARE(tab().serviceModel()->rowCount(), 600);
    }

    void whatAnOpenMendedIsTold() {
        test::writeFile(folder_->path() / ".all_channel.dat.tmp-ABC123", Bytes(100, 1));
        QVERIFY(window().openFolder(folder_->path()));
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].icon, NoticeIcon::Information);
        QVERIFY(!std::filesystem::exists(folder_->path() / ".all_channel.dat.tmp-ABC123"));
    }

    void filtersShowOnlyMatchingRows() {
        QVERIFY(window().openFolder(folder_->path()));
        tab().typeFilter()->setCurrentIndex(2);
        QVERIFY(tab().serviceModel()->rowCount() > 0);
        for (int r = 0; r < tab().serviceModel()->rowCount(); ++r) {
            QCOMPARE(cell(window(), r, colType), QString("Radio"));
        }
        tab().satelliteFilter()->setCurrentIndex(2);
        const QString satellite = tab().satelliteFilter()->currentText();
        for (int r = 0; r < tab().serviceModel()->rowCount(); ++r) {
            QCOMPARE(cell(window(), r, colSatellite), satellite);
        }
        QCOMPARE(window().statusPanels()->panelText(3), QString("Total Services : 600"));
    }

    void headerClicksFlipTheDirection() {
        QVERIFY(window().openFolder(folder_->path()));
        auto* header = view().horizontalHeader();
        auto frequencies = [&] {
            std::vector<long long> values;
            for (int r = 0; r < tab().serviceModel()->rowCount(); ++r) {
                values.push_back(cell(window(), r, colFrequency).toLongLong());
            }
            return values;
        };
        emit header->sectionClicked(colFrequency);
        auto values = frequencies();
        QVERIFY(std::is_sorted(values.rbegin(), values.rend()));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        emit header->sectionClicked(colFrequency);
        values = frequencies();
        QVERIFY(std::is_sorted(values.begin(), values.end()));
    }

    void typingSelectsTheFirstMatchingName() {
        QVERIFY(window().openFolder(folder_->path()));
        QTest::keyClicks(tab().searchBox(), "sp");
        const auto selected = view().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        QVERIFY(cell(window(), selected[0], colService).toLower().startsWith("sp"));
        for (int r = 0; r < selected[0]; ++r) {
            QVERIFY(!cell(window(), r, colService).toLower().startsWith("sp"));
        }
        QTest::keyClicks(tab().searchBox(), "qqq"); // no match: the selection stays
        QCOMPARE(view().selectedPositions(), selected);
    }

    void flagCommandsChangeTheRecordTheRowShows() {
        QVERIFY(window().openFolder(folder_->path()));
        tab().satelliteFilter()->setCurrentIndex(2);
        emit view().horizontalHeader()->sectionClicked(colService);
        view().selectPositions({2, 4});
        const std::uint32_t offset = cell(window(), 2, colLokacija).toUInt();
        const std::uint32_t other = cell(window(), 4, colLokacija).toUInt();
        view().lockAction()->trigger();
        for (const std::uint32_t at : {offset, other}) {
            QVERIFY(window().document().workspace().channelBytes()[at + 184] & 2);
        }
        QVERIFY(cell(window(), 2, colHdFlag).toInt() & 2);
        QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 4}));
        view().selectPositions({2});
        view().insertHdAction()->trigger();
        view().unlockAction()->trigger();
        QCOMPARE(cell(window(), 2, colHdFlag).toInt() & 0x7F,
                 (window().document().workspace().channelBytes()[offset + 184] & 0x7F));
        QVERIFY(window().document().workspace().modified());
        test::TempDir out;
        QVERIFY(window().saveToFolder(out.path()));
        const Bytes saved = test::readFile(out / "all_channel.dat");
        QCOMPARE(static_cast<int>(saved[offset + 184] & 0x42), 0x40);
        QVERIFY(!window().document().workspace().modified());
    }

    void hoveringARowShowsItsChannelInfo() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const QRect rect = view().visualRect(tab().serviceModel()->index(3, 0));
        QTest::mouseMove(view().viewport(), rect.center());
        QApplication::processEvents();
        const std::uint32_t row = window().document().workspace().view().tableRow(3);
        QCOMPARE(window().tooltip().Title(), QString("Channel Info"));
        QCOMPARE(window().tooltip().TipText().toStdString(),
                 channelInfoText(window().document().workspace().services(), row));
        QVERIFY(window().tooltip().exists());
    }

    void clipboardCopiesTheRowsAfterTheSelection() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QApplication::clipboard()->setText("before");
        tab().clipboardButton()->click();
        QCOMPARE(QApplication::clipboard()->text(), QString("before")); // nothing selected
        // The last row has no rows after it: the clipboard keeps what it held.
        test::clickRow(view(), 599);
        QTest::mouseClick(tab().clipboardButton(), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
        QCOMPARE(window().statusPanels()->note(),
                 QString("Nothing copied: no rows follow the selected service"));
        test::clickRow(view(), 595);
        QTest::mouseClick(tab().clipboardButton(), Qt::LeftButton);
        const QString expected =
            QString::fromStdString(clipboardText(window().document().workspace().services(),
                                                 window().document().workspace().view(), 595));
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(expected.count("\r\n"), 4);
        QCOMPARE(window().statusPanels()->note(), QString("4 rows copied to the clipboard"));
        test::clickRow(view(), 0);
        QTest::mouseClick(tab().clipboardButton(), Qt::LeftButton);
        QCOMPARE(window().statusPanels()->note(), QString("101 rows copied to the clipboard"));
    }

    // Open, Save and the imports start in the folder last opened or saved, not in the data
    // folder, so "Save Files" and Enter write where the lists came from.
    void fileDialogsStartInTheFolderLastOpenedOrSaved() {
        const QString data = QString::fromStdString(data_->path().string());
        const QString opened = QString::fromStdString(folder_->path().string());
        dialogs_->nextChannelFile = folder_->path() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(dialogs_->startFolders, QStringList({data})); // before any: the data folder
        QCOMPARE(tab().serviceModel()->rowCount(), 600);

        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        dialogs_->startFolders.clear();
        dialogs_->nextChannelFile.reset();
        dialogs_->nextSaveFolder.reset();
        window().openFiles();
        QTest::keyClick(&view(), Qt::Key_S, Qt::ControlModifier);
        window().saveFiles();
        QTest::mouseClick(window().organizeSatTab()->openButton(), Qt::LeftButton);
        QTest::mouseClick(window().organizeSatTab()->saveButton(), Qt::LeftButton);
        QTest::mouseClick(window().organizeSatTab()->importXmlButton(), Qt::LeftButton);
        QCOMPARE(dialogs_->startFolders, QStringList(6, opened));

        test::TempDir saved;
        dialogs_->nextSaveFolder = saved.path();
        QVERIFY(window().saveFiles());
        dialogs_->startFolders.clear();
        dialogs_->nextSaveFolder.reset();
        window().saveFiles();
        window().openFiles();
        QCOMPARE(dialogs_->startFolders,
                 QStringList(2, QString::fromStdString(saved.path().string())));
    }

    // The title names the folder shown and marks unsaved edits; the caption comes first.
    void theTitleNamesTheFolderAndMarksUnsavedEdits() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const auto title = [&] { return window().windowHandle()->title(); };
        const QString caption = "Tavrino v.0.9.2880 - ";
        QVERIFY(window().openFolder(folder_->path()));
        const QString opened =
            QDir::toNativeSeparators(QString::fromStdString(folder_->path().string()));
        QCOMPARE(title(), caption + opened);
        test::clickRow(view(), 1);
        view().lockAction()->trigger();
        QCOMPARE(title(), caption + opened + "*");
        window().undoAction()->trigger();
        QCOMPARE(title(), caption + opened);
        window().redoAction()->trigger();
        test::TempDir saved;
        QVERIFY(window().saveToFolder(saved.path()));
        QCOMPARE(title(),
                 caption + QDir::toNativeSeparators(QString::fromStdString(saved.path().string())));
    }

    void closingWithUnsavedEditsAsksFirst() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        QVERIFY(window().close()); // nothing changed: no question
        QCOMPARE(dialogs_->unsavedQuestions, 0);
        window().show();
        view().selectPositions({0});
        view().lockAction()->trigger();
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        QVERIFY(!window().close());
        QCOMPARE(dialogs_->unsavedQuestions, 1);
        test::TempDir out;
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        dialogs_->nextSaveFolder = out.path();
        QVERIFY(window().close());
        QVERIFY(std::filesystem::exists(out / "all_channel.dat"));
    }

    void openingOverUnsavedEditsAsksFirst() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        test::clickRow(view(), 0);
        view().lockAction()->trigger();
        const Bytes edited = window().document().workspace().channelBytes();
        test::TempDir other;
        test::writeSample(other.path(), {.services = 50, .satellites = 2, .bouquets = 1});
        dialogs_->nextChannelFile = other / "all_channel.dat";

        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        tab().openButton()->click();
        QCOMPARE(dialogs_->unsavedQuestions, 1);
        QCOMPARE(dialogs_->unsavedMoments.back(), QString("opening other files"));
        QVERIFY(window().document().workspace().channelBytes() == edited);
        QVERIFY(window().document().workspace().modified());

        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        dialogs_->nextSaveFolder.reset(); // the save dialog is cancelled: nothing is opened
        window().menuBar()->actions().first()->menu()->actions().first()->trigger();
        QVERIFY(window().document().workspace().channelBytes() == edited);

        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        tab().openButton()->click();
        QCOMPARE(tab().serviceModel()->rowCount(), 50);
        QVERIFY(!window().document().workspace().modified());
    }

    // A refilled list starts at its first row and first column.
    void filtersAndOpensStartTheListAtItsTop() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        view().verticalScrollBar()->setValue(view().verticalScrollBar()->maximum());
        view().horizontalScrollBar()->setValue(view().horizontalScrollBar()->maximum());
        QVERIFY(view().verticalScrollBar()->value() > 0);
        tab().typeFilter()->setFocus();
        QTest::keyClick(tab().typeFilter(), Qt::Key_Down);
        QCOMPARE(tab().typeFilter()->currentIndex(), 1);
        QCOMPARE(view().verticalScrollBar()->value(), 0);
        QCOMPARE(view().horizontalScrollBar()->value(), 0);

        QTest::keyClicks(tab().searchBox(), "zz");
        view().horizontalScrollBar()->setValue(view().horizontalScrollBar()->maximum());
        QVERIFY(window().openFolder(folder_->path()));
        QCOMPARE(view().horizontalScrollBar()->value(), 0);
        QCOMPARE(tab().searchBox()->text(), QString());
    }

    void undoAndRedoNameTheirStepAndKeepTheView() {
        QVERIFY(window().openFolder(folder_->path()));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QCOMPARE(window().undoAction()->text(), QString("Undo"));
        QVERIFY(!window().undoAction()->isEnabled());
        QVERIFY(!window().redoAction()->isEnabled());
        QCOMPARE(window().undoAction()->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(window().redoAction()->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));

        tab().typeFilter()->setCurrentIndex(1);
        emit view().horizontalHeader()->sectionClicked(colService);
        const QString firstBefore = cell(window(), 0, colService);
        test::clickRow(view(), 2);
        test::clickRow(view(), 3, Qt::ShiftModifier);
        view().lockAction()->trigger();
        QCOMPARE(window().undoAction()->text(), QString("Undo LOCK 2 Services"));
        QVERIFY(window().document().workspace().modified());
        test::clickRow(view(), 9);
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!window().document().workspace().modified());
        QCOMPARE(window().redoAction()->text(), QString("Redo LOCK 2 Services"));
        QCOMPARE(tab().typeFilter()->currentIndex(), 1);
        QCOMPARE(cell(window(), 0, colService), firstBefore); // filter and order stay
        QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 3}));
        QVERIFY(!(cell(window(), 2, colHdFlag).toInt() & 2));
        QTest::keyClick(&view(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(cell(window(), 2, colHdFlag).toInt() & 2);
        QVERIFY(window().document().workspace().modified());
    }

    void savingOverFilesChangedOnDiskAsksFirstAndBacksUp() {
        QVERIFY(window().openFolder(folder_->path()));
        test::clickRow(view(), 0);
        view().lockAction()->trigger();
        const Bytes changed = Bytes(test::readFile(folder_->path() / "DVBS.dat"));
        QTest::qWait(5);
        test::writeFile(folder_->path() / "DVBS.dat", changed);
        const Bytes channel = test::readFile(folder_->path() / "all_channel.dat");
        dialogs_->nextSaveFolder = folder_->path();
        dialogs_->yesNoAnswers = {false};
        QVERIFY(!window().saveFiles());
        QCOMPARE(dialogs_->asked.back().text,
                 "The files in " + folder_->path().string() +
                     " changed since they were opened. Overwrite them?");
        QVERIFY(test::readFile(folder_->path() / "all_channel.dat") == channel);
        dialogs_->yesNoAnswers = {true};
        QVERIFY(window().saveFiles());
        QVERIFY(test::readFile(folder_->path() / "all_channel.dat") != channel);
        const auto backups = test::entries(data_->path() / "backups" / "files");
        QCOMPARE(backups.size(), std::size_t{1});
        QVERIFY(test::readFile(data_->path() / "backups" / "files" / *backups.begin() /
                               "all_channel.dat") == channel);
    }

    // A folder without DVBS.dat keeps the satellites opened before: the status bar says so,
    // and so does the message of the next save into that folder.
    void keptSatelliteFilesAreNamedAtOpenAndSave() {
        QVERIFY(window().openFolder(folder_->path()));
        test::TempDir r4;
        test::writeSample(r4.path(), {.services = 20, .satellites = 1, .bouquets = 0});
        std::filesystem::remove(r4 / "DVBS.dat");
        QVERIFY(window().openFolder(r4.path()));
        const QString sentence = QString::fromStdString(
            r4.path().filename().string() + " has no DVBS.dat; the satellites of " +
            folder_->path().filename().string() + " are still loaded and will be saved there");
        QCOMPARE(window().statusPanels()->note(), sentence);
        QVERIFY(window().saveToFolder(r4.path()));
        QVERIFY(window().statusPanels()->note().startsWith(sentence + ". Saved to "));
        QVERIFY(window().saveToFolder(r4.path()));
        QVERIFY(!window().statusPanels()->note().contains(sentence));
    }

    void recentFoldersSurviveARestart() {
        QVERIFY(!window().recentMenu()->isEnabled());
        QVERIFY(window().openFolder(folder_->path()));
        QVERIFY(window().recentMenu()->isEnabled()); // at once, not after a restart
        test::TempDir saved;
        QVERIFY(window().saveToFolder(saved.path()));
        test::TempDir gone;
        test::writeSample(gone.path(), {.services = 20, .satellites = 1, .bouquets = 0});
        QVERIFY(window().openFolder(gone.path()));
        const QString gonePath = QString::fromStdString(gone.path().string());
        window_.reset();
        std::filesystem::remove(gone.path() / "all_channel.dat");

        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
        emit window().recentMenu()->aboutToShow();
        const auto entries = window().recentMenu()->actions();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0]->text(), gonePath);
        QVERIFY(!entries[0]->isEnabled()); // its files are gone
        QCOMPARE(entries[1]->text(), QString::fromStdString(saved.path().string()));
        QVERIFY(entries[2]->isEnabled());
        entries[2]->trigger();
        QCOMPARE(tab().serviceModel()->rowCount(), 600);
    }

    void screenshotOptionWritesAPicture() {
        test::TempDir shots;
        const QString png = QString::fromStdString((shots / "window.png").string());
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(TAVRINO_BINARY,
                      {"--data-dir", QString::fromStdString(data_->path().string()), "--screenshot",
                       png, QString::fromStdString(folder_->path().string())});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QImage image(png);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= window().minimumWidth());
        QVERIFY(std::filesystem::is_directory(data_->path() / "tmp"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
