#include "app/screen_fit.h"
#include "database/layout.h"
#include "services/service_details.h"
#include "widgets/ctooltip.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QProcess>
#include <QScrollBar>
#include <QWindow>

using namespace tavrino;
using namespace tavrino::app;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    MainWindow& window() { return f_.window(); }
    ServiceListView& view() { return f_.serviceView(); }
    test::ScriptedDialogs& dialogs() { return f_.dialogs(); }
    Workspace& ws() { return f_.workspace(); }
    QString cell(int position, int column) { return f_.cell(position, column); }
    // An edit as a person makes it: a clicked row, LOCK.
    void lockRow(int position) {
        test::clickRow(view(), position);
        view().lockAction()->trigger();
    }
    void openShown() {
        QVERIFY(window().openFolder(f_.folder()));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

private slots:
    void init() { f_.start({.open = false, .show = false}); }
    void cleanup() { f_.stop(); }

    void theTitleAndSizeBeforeAnythingIsOpen() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QCOMPARE(window().windowHandle()->title(), QString("Tavrino v.0.9.2880"));
        // 873 x 600, or the whole screen where that is smaller.
        QCOMPARE(window().minimumSize(),
                 fitWithin(QSize(873, 600), roomOnScreen(&window()).size()));
    }

    void menuEntriesSelectTheirTabs() {
        const auto actions = window().menuBar()->actions();
        actions[5]->trigger();
        QCOMPARE(f_.tabs().currentIndex(), 1);
        actions[6]->trigger();
        QCOMPARE(f_.tabs().currentIndex(), 2);
        actions[2]->trigger();
        QCOMPARE(f_.tabs().currentIndex(), 0);
    }

    void openingFillsTheViewAndTheStatusBar() {
        dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(f_.serviceModel().rowCount(), 600);
        QCOMPARE(f_.status().panelText(3), QString("Total Services : 600"));
        QCOMPARE(f_.status().panelText(5), QString("Bouquets : 6"));
        QCOMPARE(f_.satelliteFilter().itemText(0), QString("- All Satellites -"));
        QCOMPARE(f_.satelliteFilter().count(),
                 static_cast<int>(ws().services().satelliteNames().size()) + 1);
        QVERIFY(dialogs().told.empty());
        f_.typeFilter().setCurrentIndex(2); // a filter leaves the total as it is
        QVERIFY(f_.serviceModel().rowCount() < 600);
        QCOMPARE(f_.status().panelText(3), QString("Total Services : 600"));
    }

    void aCancelledDialogDoesNothing() {
        dialogs().nextChannelFile.reset();
        window().openFiles();
        QVERIFY(!ws().channelLoaded());
        QVERIFY(!window().saveFiles());
    }

    void aRefusedFileShowsItsMessageAndKeepsTheView() {
        QVERIFY(window().openFolder(f_.folder()));
        test::TempDir old;
        auto files = sample::generate({});
        files.channel[0] = 5;
        sample::writeFolder(files, old.path());
        QVERIFY(!window().openFolder(old.path()));
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QCOMPARE(dialogs().told[0].text, std::string("Version < 6 is not supported"));
        QCOMPARE(f_.serviceModel().rowCount(), 600);
    }

    void whatAnOpenMendedIsTold() {
        test::writeFile(f_.folder() / ".all_channel.dat.tmp-ABC123", Bytes(100, 1));
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QCOMPARE(dialogs().told[0].icon, NoticeIcon::Information);
        QVERIFY(!std::filesystem::exists(f_.folder() / ".all_channel.dat.tmp-ABC123"));
    }

    void typingSelectsTheFirstMatchingName() {
        QVERIFY(window().openFolder(f_.folder()));
        QTest::keyClicks(&f_.searchBox(), "sp");
        const auto selected = view().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        QVERIFY(cell(selected[0], colService).toLower().startsWith("sp"));
        for (int r = 0; r < selected[0]; ++r) {
            QVERIFY(!cell(r, colService).toLower().startsWith("sp"));
        }
        QTest::keyClicks(&f_.searchBox(), "qqq"); // no match: the selection stays
        QCOMPARE(view().selectedPositions(), selected);
    }

    // Each flag entry of the context menu reaches the rows selected (sorted and filtered, so
    // view positions are not table rows), which show it at once and stay selected.
    void flagEntriesOfTheMenuChangeTheRowsSelected() {
        openShown();
        f_.satelliteFilter().setCurrentIndex(2);
        QTest::mouseClick(view().horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(view().horizontalHeader()->sectionViewportPosition(colService) + 5,
                                 view().horizontalHeader()->height() / 2));
        test::clickRow(view(), 2);
        test::clickRow(view(), 4, Qt::ControlModifier);
        struct Entry {
            QAction* action;
            int bit;
            bool set;
            QString step;
        };
        for (const Entry& e :
             {Entry{view().lockAction(), flagLocked, true, "LOCK 2 Services"},
              Entry{view().insertHdAction(), flagHd, true, "Insert HD Flag on 2 Services"},
              Entry{view().unlockAction(), flagLocked, false, "UnLOCK 2 Services"},
              Entry{view().removeHdAction(), flagHd, false, "Remove HD Flag from 2 Services"}}) {
            test::rightClickRow(view(), 4);
            QMenu* menu = view().contextMenu();
            QTRY_VERIFY(menu->isVisible());
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(e.action).center());
            for (const int row : {2, 4}) {
                QCOMPARE((cell(row, colHdFlag).toInt() & e.bit) != 0, e.set);
            }
            QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 4}));
            QCOMPARE(f_.action("undoAction").text(), "Undo " + e.step);
        }
    }

    void hoveringARowShowsItsChannelInfo() {
        openShown();
        const QRect rect = view().visualRect(f_.serviceModel().index(3, 0));
        QTest::mouseMove(view().viewport(), rect.center());
        QApplication::processEvents();
        const std::uint32_t row = ws().view().tableRow(3);
        QCOMPARE(f_.find<widgets::CTooltip>("detailsTooltip").Title(), QString("Channel Info"));
        QCOMPARE(f_.find<widgets::CTooltip>("detailsTooltip").TipText().toStdString(),
                 channelInfoText(ws().services(), row));
        QVERIFY(f_.find<widgets::CTooltip>("detailsTooltip").exists());
    }

    void clipboardCopiesTheRowsAfterTheSelection() {
        openShown();
        QApplication::clipboard()->setText("before");
        f_.button("clipboardButton").click();
        QCOMPARE(QApplication::clipboard()->text(), QString("before")); // nothing selected
        // The last row has no rows after it: the clipboard keeps what it held.
        test::clickRow(view(), 599);
        QTest::mouseClick(&f_.button("clipboardButton"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
        QCOMPARE(f_.status().note(),
                 QString("Nothing copied: no rows follow the selected service"));
        test::clickRow(view(), 595);
        QTest::mouseClick(&f_.button("clipboardButton"), Qt::LeftButton);
        const QString expected =
            QString::fromStdString(clipboardText(ws().services(), ws().view(), 595));
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(f_.status().note(), QString("4 rows copied to the clipboard"));
    }

    // Open, Save and the imports start in the folder last opened or saved, not in the data
    // folder, so "Save Files" and Enter write where the lists came from.
    void fileDialogsStartInTheFolderLastOpenedOrSaved() {
        const QString data = QString::fromStdString(f_.data().string());
        const QString opened = QString::fromStdString(f_.folder().string());
        dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(dialogs().startFolders, QStringList({data})); // before any: the data folder
        QCOMPARE(f_.serviceModel().rowCount(), 600);

        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        dialogs().startFolders.clear();
        dialogs().nextChannelFile.reset();
        dialogs().nextSaveFolder.reset();
        window().openFiles();
        QTest::keyClick(&view(), Qt::Key_S, Qt::ControlModifier);
        window().saveFiles();
        QTest::mouseClick(&f_.button("openSatelliteFilesButton"), Qt::LeftButton);
        QTest::mouseClick(&f_.button("saveSatelliteFilesButton"), Qt::LeftButton);
        QTest::mouseClick(&f_.button("importXmlButton"), Qt::LeftButton);
        QCOMPARE(dialogs().startFolders, QStringList(6, opened));

        test::TempDir saved;
        dialogs().nextSaveFolder = saved.path();
        QVERIFY(window().saveFiles());
        dialogs().startFolders.clear();
        dialogs().nextSaveFolder.reset();
        window().saveFiles();
        window().openFiles();
        QCOMPARE(dialogs().startFolders,
                 QStringList(2, QString::fromStdString(saved.path().string())));
    }

    // The title names the folder shown and marks unsaved edits; the caption comes first.
    void theTitleNamesTheFolderAndMarksUnsavedEdits() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const auto title = [&] { return window().windowHandle()->title(); };
        const QString caption = "Tavrino v.0.9.2880 - ";
        QVERIFY(window().openFolder(f_.folder()));
        const QString opened =
            QDir::toNativeSeparators(QString::fromStdString(f_.folder().string()));
        QCOMPARE(title(), caption + opened);
        lockRow(1);
        QCOMPARE(title(), caption + opened + "*");
        f_.action("undoAction").trigger();
        QCOMPARE(title(), caption + opened);
        f_.action("redoAction").trigger();
        test::TempDir saved;
        QVERIFY(window().saveToFolder(saved.path()));
        QCOMPARE(title(),
                 caption + QDir::toNativeSeparators(QString::fromStdString(saved.path().string())));
    }

    void closingWithUnsavedEditsAsksFirst() {
        QVERIFY(window().openFolder(f_.folder()));
        window().show();
        QVERIFY(window().close()); // nothing changed: no question
        QCOMPARE(dialogs().unsavedQuestions, 0);
        window().show();
        lockRow(0);
        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        QVERIFY(!window().close());
        QCOMPARE(dialogs().unsavedQuestions, 1);
        test::TempDir out;
        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        dialogs().nextSaveFolder = out.path();
        QVERIFY(window().close());
        QVERIFY(std::filesystem::exists(out / "all_channel.dat"));
    }

    void openingOverUnsavedEditsAsksFirst() {
        QVERIFY(window().openFolder(f_.folder()));
        window().show();
        lockRow(0);
        const Bytes edited = ws().channelBytes();
        test::TempDir other;
        test::writeSample(other.path(), {.services = 50, .satellites = 2, .bouquets = 1});
        dialogs().nextChannelFile = other / "all_channel.dat";

        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        f_.button("openButton").click();
        QCOMPARE(dialogs().unsavedQuestions, 1);
        QCOMPARE(dialogs().unsavedMoments.back(), QString("opening other files"));
        QVERIFY(ws().channelBytes() == edited);
        QVERIFY(ws().modified());

        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        dialogs().nextSaveFolder.reset(); // the save dialog is cancelled: nothing is opened
        window().menuBar()->actions().first()->menu()->actions().first()->trigger();
        QVERIFY(ws().channelBytes() == edited);

        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        f_.button("openButton").click();
        QCOMPARE(f_.serviceModel().rowCount(), 50);
        QVERIFY(!ws().modified());
    }

    // A refilled list starts at its first row and first column.
    void filtersAndOpensStartTheListAtItsTop() {
        openShown();
        view().verticalScrollBar()->setValue(view().verticalScrollBar()->maximum());
        view().horizontalScrollBar()->setValue(view().horizontalScrollBar()->maximum());
        QVERIFY(view().verticalScrollBar()->value() > 0);
        f_.typeFilter().setFocus();
        QTest::keyClick(&f_.typeFilter(), Qt::Key_Down);
        QCOMPARE(f_.typeFilter().currentIndex(), 1);
        QCOMPARE(view().verticalScrollBar()->value(), 0);
        QCOMPARE(view().horizontalScrollBar()->value(), 0);

        QTest::keyClicks(&f_.searchBox(), "zz");
        view().horizontalScrollBar()->setValue(view().horizontalScrollBar()->maximum());
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(view().horizontalScrollBar()->value(), 0);
        QCOMPARE(f_.searchBox().text(), QString());
    }

    void undoAndRedoNameTheirStepAndKeepTheView() {
        openShown();
        QVERIFY(!f_.action("undoAction").isEnabled());
        QCOMPARE(f_.action("redoAction").shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
        f_.typeFilter().setCurrentIndex(1);
        emit view().horizontalHeader()->sectionClicked(colService);
        const QString firstBefore = cell(0, colService);
        test::clickRow(view(), 2);
        test::clickRow(view(), 3, Qt::ShiftModifier);
        view().lockAction()->trigger();
        QCOMPARE(f_.action("undoAction").text(), QString("Undo LOCK 2 Services"));
        QVERIFY(ws().modified());
        test::clickRow(view(), 9);
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!ws().modified());
        QCOMPARE(f_.action("redoAction").text(), QString("Redo LOCK 2 Services"));
        QCOMPARE(f_.typeFilter().currentIndex(), 1);
        QCOMPARE(cell(0, colService), firstBefore); // filter and order stay
        QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 3}));
        QVERIFY(!(cell(2, colHdFlag).toInt() & 2));
        QTest::keyClick(&view(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(cell(2, colHdFlag).toInt() & 2);
        QVERIFY(ws().modified());
    }

    void savingOverFilesChangedOnDiskAsksFirstAndBacksUp() {
        QVERIFY(window().openFolder(f_.folder()));
        lockRow(0);
        const Bytes changed = Bytes(test::readFile(f_.folder() / "DVBS.dat"));
        QTest::qWait(5);
        test::writeFile(f_.folder() / "DVBS.dat", changed);
        const Bytes channel = test::readFile(f_.folder() / "all_channel.dat");
        dialogs().nextSaveFolder = f_.folder();
        dialogs().yesNoAnswers = {false};
        QVERIFY(!window().saveFiles());
        QCOMPARE(dialogs().asked.back().text,
                 "The files in " + f_.folder().string() +
                     " changed since they were opened. Overwrite them?");
        QVERIFY(test::readFile(f_.folder() / "all_channel.dat") == channel);
        dialogs().yesNoAnswers = {true};
        QVERIFY(window().saveFiles());
        QVERIFY(test::readFile(f_.folder() / "all_channel.dat") == ws().channelBytes());
    }

    // A folder without DVBS.dat keeps the satellites opened before: the status bar says so,
    // and so does the message of the next save into that folder.
    void keptSatelliteFilesAreNamedAtOpenAndSave() {
        QVERIFY(window().openFolder(f_.folder()));
        test::TempDir r4;
        test::writeSample(r4.path(), {.services = 20, .satellites = 1, .bouquets = 0});
        std::filesystem::remove(r4 / "DVBS.dat");
        QVERIFY(window().openFolder(r4.path()));
        const QString sentence = f_.status().note();
        QVERIFY(sentence.contains(" has no DVBS.dat; the satellites of "));
        QVERIFY(window().saveToFolder(r4.path()));
        QVERIFY(f_.status().note().startsWith(sentence + ". Saved to "));
        QVERIFY(window().saveToFolder(r4.path()));
        QVERIFY(!f_.status().note().contains(sentence));
    }

    void recentFoldersSurviveARestart() {
        QVERIFY(!f_.find<QMenu>("recentMenu").isEnabled());
        QVERIFY(window().openFolder(f_.folder()));
        QVERIFY(f_.find<QMenu>("recentMenu").isEnabled()); // at once, not after a restart
        test::TempDir saved;
        QVERIFY(window().saveToFolder(saved.path()));
        test::TempDir gone;
        test::writeSample(gone.path(), {.services = 20, .satellites = 1, .bouquets = 0});
        QVERIFY(window().openFolder(gone.path()));
        const QString gonePath = QString::fromStdString(gone.path().string());
        f_.closeWindow();
        std::filesystem::remove(gone.path() / "all_channel.dat");

        f_.makeWindow({.open = false, .show = false});
        emit f_.find<QMenu>("recentMenu").aboutToShow();
        const auto entries = f_.find<QMenu>("recentMenu").actions();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0]->text(), gonePath);
        QVERIFY(!entries[0]->isEnabled()); // its files are gone
        QCOMPARE(entries[1]->text(), QString::fromStdString(saved.path().string()));
        QVERIFY(entries[2]->isEnabled());
        entries[2]->trigger();
        QCOMPARE(f_.serviceModel().rowCount(), 600);
    }

    void screenshotOptionWritesAPicture() {
        test::TempDir shots;
        const QString png = QString::fromStdString((shots / "window.png").string());
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(TAVRINO_BINARY,
                      {"--data-dir", QString::fromStdString(f_.data().string()), "--screenshot",
                       png, QString::fromStdString(f_.folder().string())});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QImage image(png);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= window().minimumWidth());
        QVERIFY(std::filesystem::is_directory(f_.data() / "tmp"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
