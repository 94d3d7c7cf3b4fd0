#include "app/screen_fit.h"
#include "database/layout.h"
#include "services/service_details.h"
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
    static QString native(const std::filesystem::path& folder) {
        return QDir::toNativeSeparators(QString::fromStdString(folder.string()));
    }

private slots:
    void init() { f_.start({.open = false, .show = false}); }
    void cleanup() { f_.stop(); }

    void menuEntriesSelectTheirTabs() {
        for (const auto& [entry, tab] : {std::pair{5, 1}, std::pair{6, 2}, std::pair{2, 0}}) {
            window().menuBar()->actions()[entry]->trigger();
            QCOMPARE(f_.tabs().currentIndex(), tab);
        }
    }

    // A cancelled dialog opens nothing. An open fills the list and the counters (which a filter
    // leaves as they are) and tells what it mended; a refused file is told and the lists stay.
    void openingFillsTheViewAndTellsWhatItMendedOrRefused() {
        window().openFiles();
        QVERIFY(!ws().channelLoaded());
        QVERIFY(!window().saveFiles());
        test::writeFile(f_.folder() / ".all_channel.dat.tmp-ABC123", Bytes(100, 1));
        dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(f_.serviceModel().rowCount(), 600);
        QCOMPARE(f_.status().panelText(5), QString("Bouquets : 6"));
        QCOMPARE(f_.satelliteFilter().count(),
                 static_cast<int>(ws().services().satelliteNames().size()) + 1);
        QCOMPARE(dialogs().told.size(), std::size_t{1});
        QCOMPARE(dialogs().told[0].icon, NoticeIcon::Information);
        QVERIFY(!std::filesystem::exists(f_.folder() / ".all_channel.dat.tmp-ABC123"));

        test::TempDir old;
        auto files = sample::generate({});
        files.channel[0] = 5;
        sample::writeFolder(files, old.path());
        QVERIFY(!window().openFolder(old.path()));
        QCOMPARE(dialogs().told.size(), std::size_t{2});
        QCOMPARE(dialogs().told[1].text, std::string("Version < 6 is not supported"));
        QCOMPARE(f_.serviceModel().rowCount(), 600);
        f_.typeFilter().setCurrentIndex(2);
        QVERIFY(f_.serviceModel().rowCount() < 600);
        QCOMPARE(f_.status().panelText(3), QString("Total Services : 600"));
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
        for (const auto& [action, bit, set] :
             {std::tuple{view().lockAction(), flagLocked, true},
              std::tuple{view().insertHdAction(), flagHd, true},
              std::tuple{view().unlockAction(), flagLocked, false},
              std::tuple{view().removeHdAction(), flagHd, false}}) {
            test::rightClickRow(view(), 4);
            QMenu* menu = view().contextMenu();
            QTRY_VERIFY(menu->isVisible());
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            for (const int row : {2, 4}) {
                QCOMPARE((cell(row, colHdFlag).toInt() & bit) != 0, set);
            }
            QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 4}));
        }
    }

    // Nothing selected, or the last row (no rows after it): the clipboard keeps what it held.
    void clipboardCopiesTheRowsAfterTheSelection() {
        openShown();
        const auto copied = [&](std::optional<int> row) {
            if (row) {
                test::clickRow(view(), *row);
            }
            QApplication::clipboard()->setText("before");
            QTest::mouseClick(&f_.button("clipboardButton"), Qt::LeftButton);
            return QApplication::clipboard()->text();
        };
        QCOMPARE(copied(std::nullopt), QString("before"));
        QCOMPARE(copied(599), QString("before"));
        QCOMPARE(f_.status().note(),
                 QString("Nothing copied: no rows follow the selected service"));
        QCOMPARE(copied(595),
                 QString::fromStdString(clipboardText(ws().services(), ws().view(), 595)));
        QCOMPARE(f_.status().note(), QString("4 rows copied to the clipboard"));
    }

    // Open, Save and the imports start in the folder last opened or saved, not in the data
    // folder, so "Save Files" and Enter write where the lists came from.
    void fileDialogsStartInTheFolderLastOpenedOrSaved() {
        dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(dialogs().startFolders, QStringList({native(f_.data())})); // before any

        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        dialogs().startFolders.clear();
        dialogs().nextChannelFile.reset();
        window().openFiles();
        QTest::keyClick(&view(), Qt::Key_S, Qt::ControlModifier);
        for (const char* name :
             {"openSatelliteFilesButton", "saveSatelliteFilesButton", "importXmlButton"}) {
            QTest::mouseClick(&f_.button(name), Qt::LeftButton);
        }
        QCOMPARE(dialogs().startFolders, QStringList(5, native(f_.folder())));

        test::TempDir saved;
        dialogs().nextSaveFolder = saved.path();
        QVERIFY(window().saveFiles());
        dialogs().startFolders.clear();
        dialogs().nextSaveFolder.reset();
        window().saveFiles();
        window().openFiles();
        QCOMPARE(dialogs().startFolders, QStringList(2, native(saved.path())));
    }

    // The title names the folder shown and marks unsaved edits, which closing asks about; the
    // window is never smaller than 873 x 600, or the whole screen where that is smaller.
    void theTitleMarksUnsavedEditsAndClosingAsksAboutThem() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const auto title = [&] { return window().windowHandle()->title(); };
        QCOMPARE(title(), QString("Tavrino v.0.9.2880"));
        QCOMPARE(window().minimumSize(),
                 fitWithin(QSize(873, 600), roomOnScreen(&window()).size()));
        const QString caption = "Tavrino v.0.9.2880 - ";
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(title(), caption + native(f_.folder()));
        lockRow(1);
        QCOMPARE(title(), caption + native(f_.folder()) + "*");
        QVERIFY(!window().close()); // Cancel
        f_.action("undoAction").trigger();
        QCOMPARE(title(), caption + native(f_.folder()));
        QVERIFY(window().close()); // nothing changed: no second question
        QCOMPARE(dialogs().unsavedQuestions, 1);
        window().show();
        f_.action("redoAction").trigger();
        test::TempDir saved;
        dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        dialogs().nextSaveFolder = saved.path();
        QVERIFY(window().close());
        QVERIFY(test::readFile(saved / "all_channel.dat") == ws().channelBytes());
        QCOMPARE(title(), caption + native(saved.path()));
    }

    // Cancel, and Save with its folder dialog cancelled, keep the edit; Discard opens.
    void openingOverUnsavedEditsAsksFirst() {
        openShown();
        lockRow(0);
        const Bytes edited = ws().channelBytes();
        test::TempDir other;
        test::writeSample(other.path(), {.services = 50, .satellites = 2, .bouquets = 1});
        dialogs().nextChannelFile = other / "all_channel.dat";
        using Choice = UserDialogs::UnsavedChoice;
        for (const Choice choice : {Choice::Cancel, Choice::Save, Choice::Discard}) {
            dialogs().unsavedAnswer = choice;
            f_.button("openButton").click();
            QCOMPARE(ws().channelBytes() == edited, choice != Choice::Discard);
        }
        QCOMPARE(dialogs().unsavedMoments, QStringList(3, "opening other files"));
        QCOMPARE(f_.serviceModel().rowCount(), 50);
    }

    // Typing a name selects the first that starts so, a refilled list starts at its first row
    // and first column, and an open empties the box.
    void filtersAndOpensStartTheListAtItsTop() {
        openShown();
        QScrollBar* down = view().verticalScrollBar();
        QScrollBar* across = view().horizontalScrollBar();
        down->setValue(down->maximum());
        across->setValue(across->maximum());
        QVERIFY(down->value() > 0);
        f_.typeFilter().setFocus();
        QTest::keyClick(&f_.typeFilter(), Qt::Key_Down);
        QCOMPARE(f_.typeFilter().currentIndex(), 1);
        QCOMPARE(std::pair(down->value(), across->value()), std::pair(0, 0));

        QTest::keyClicks(&f_.searchBox(), "sp");
        const auto selected = view().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        QVERIFY(cell(selected[0], colService).toLower().startsWith("sp"));
        QTest::keyClicks(&f_.searchBox(), "qqq"); // no match: the selection stays
        QCOMPARE(view().selectedPositions(), selected);
        across->setValue(across->maximum());
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(across->value(), 0);
        QCOMPARE(f_.searchBox().text(), QString());
    }

    void undoAndRedoNameTheirStepAndKeepTheView() {
        openShown();
        f_.typeFilter().setCurrentIndex(1);
        emit view().horizontalHeader()->sectionClicked(colService);
        const QString firstBefore = cell(0, colService);
        test::clickRow(view(), 2);
        test::clickRow(view(), 3, Qt::ShiftModifier);
        view().lockAction()->trigger();
        test::clickRow(view(), 9);
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!ws().modified());
        QCOMPARE(f_.action("redoAction").text(), QString("Redo LOCK 2 Services"));
        QCOMPARE(cell(0, colService), firstBefore); // filter and order stay
        QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 3}));
        QVERIFY(!(cell(2, colHdFlag).toInt() & 2));
        QTest::keyClick(&view(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(cell(2, colHdFlag).toInt() & 2);
    }

    // The question and the backups are the save policy's; the window asks and obeys.
    void savingOverFilesChangedOnDiskAsksFirst() {
        QVERIFY(window().openFolder(f_.folder()));
        lockRow(0);
        const Bytes changed = Bytes(test::readFile(f_.folder() / "DVBS.dat"));
        QTest::qWait(5);
        test::writeFile(f_.folder() / "DVBS.dat", changed);
        dialogs().nextSaveFolder = f_.folder();
        dialogs().yesNoAnswers = {false, true};
        QVERIFY(!window().saveFiles());
        QCOMPARE(dialogs().asked.size(), std::size_t{1});
        QVERIFY(test::readFile(f_.folder() / "all_channel.dat") != ws().channelBytes());
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
        QMenu* recent = &f_.find<QMenu>("recentMenu");
        QVERIFY(!recent->isEnabled());
        QVERIFY(window().openFolder(f_.folder()));
        QVERIFY(recent->isEnabled()); // at once, not after a restart
        test::TempDir saved;
        QVERIFY(window().saveToFolder(saved.path()));
        test::TempDir gone;
        test::writeSample(gone.path(), {.services = 20, .satellites = 1, .bouquets = 0});
        QVERIFY(window().openFolder(gone.path()));
        f_.closeWindow();
        std::filesystem::remove(gone.path() / "all_channel.dat");

        f_.makeWindow({.open = false, .show = false});
        recent = &f_.find<QMenu>("recentMenu");
        emit recent->aboutToShow();
        const auto entries = recent->actions();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0]->text(), QString::fromStdString(gone.path().string()));
        QVERIFY(!entries[0]->isEnabled()); // its files are gone
        QCOMPARE(entries[1]->text(), QString::fromStdString(saved.path().string()));
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
        QVERIFY(QImage(png).width() >= window().minimumWidth());
        QVERIFY(std::filesystem::is_directory(f_.data() / "tmp"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
