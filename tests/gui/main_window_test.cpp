#include "database/layout.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    MainWindow& window() { return f_.window(); }
    ServiceListView& view() { return f_.serviceView(); }
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

    // A cancelled dialog opens nothing. An open fills the list and the counters (which a filter
    // leaves as they are) and tells what it mended; a refused file is told and the lists stay.
    void openingFillsTheViewAndTellsWhatItMendedOrRefused() {
        window().openFiles();
        QVERIFY(!f_.workspace().channelLoaded());
        test::writeFile(f_.folder() / ".all_channel.dat.tmp-ABC123", Bytes(100, 1));
        f_.dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(f_.serviceModel().rowCount(), 600);
        QCOMPARE(f_.status().panelText(5), QString("Bouquets : 6"));
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1}); // the leftover file it removed
        QCOMPARE(f_.dialogs().told[0].icon, NoticeIcon::Information);
        QVERIFY(!std::filesystem::exists(f_.folder() / ".all_channel.dat.tmp-ABC123"));

        test::TempDir old;
        auto files = sample::generate({});
        files.channel[0] = 5;
        sample::writeFolder(files, old.path());
        QVERIFY(!window().openFolder(old.path()));
        QCOMPARE(f_.dialogs().told.back().text, std::string("Version < 6 is not supported"));
        QCOMPARE(f_.serviceModel().rowCount(), 600);
        f_.typeFilter().setCurrentIndex(2);
        QVERIFY(f_.serviceModel().rowCount() < 600);
        QCOMPARE(f_.status().panelText(3), QString("Total Services : 600"));
    }

    // The clipboard button copies the rows after the selection; nothing selected, or the last
    // row (no rows after it): the clipboard keeps what it held. Each flag entry of the context
    // menu reaches the rows selected (sorted and filtered, so view positions are not table
    // rows), which show it at once and stay selected.
    void clipboardAndFlagEntriesReachTheRowsSelected() {
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
        QVERIFY(copied(595) != QString("before")); // the rows themselves are the core's
        QCOMPARE(f_.status().note(), QString("4 rows copied to the clipboard"));

        f_.satelliteFilter().setCurrentIndex(2);
        test::clickHeader(*view().horizontalHeader(), colService);
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
                QCOMPARE((f_.cell(row, colHdFlag).toInt() & bit) != 0, set);
            }
            QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 4}));
        }
    }

    // Open, Save and the imports start in the folder last opened or saved, not in the data
    // folder, so "Save Files" and Enter write where the lists came from.
    void fileDialogsStartInTheFolderLastOpenedOrSaved() {
        f_.dialogs().nextChannelFile = f_.folder() / "all_channel.dat";
        window().openFiles();
        QCOMPARE(f_.dialogs().startFolders, QStringList({native(f_.data())})); // before any

        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        f_.dialogs().startFolders.clear();
        f_.dialogs().nextChannelFile.reset();
        window().openFiles();
        QTest::keyClick(&view(), Qt::Key_S, Qt::ControlModifier);
        for (const char* name :
             {"openSatelliteFilesButton", "saveSatelliteFilesButton", "importXmlButton"}) {
            QTest::mouseClick(&f_.button(name), Qt::LeftButton);
        }
        QCOMPARE(f_.dialogs().startFolders, QStringList(5, native(f_.folder())));

        test::TempDir saved;
        f_.dialogs().nextSaveFolder = saved.path();
        QVERIFY(window().saveFiles());
        f_.dialogs().startFolders.clear();
        f_.dialogs().nextSaveFolder.reset();
        window().saveFiles();
        window().openFiles();
        QCOMPARE(f_.dialogs().startFolders, QStringList(2, native(saved.path())));
    }

    // The title names the folder shown and marks unsaved edits, which closing asks about.
    void theTitleMarksUnsavedEditsAndClosingAsksAboutThem() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        const auto title = [&] { return window().windowHandle()->title(); };
        QCOMPARE(title(), QString("Tavrino v.0.9.2880"));
        const QString caption = "Tavrino v.0.9.2880 - ";
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(title(), caption + native(f_.folder()));
        lockRow(1);
        QCOMPARE(title(), caption + native(f_.folder()) + "*");
        QVERIFY(!window().close()); // Cancel
        f_.action("undoAction").trigger();
        QCOMPARE(title(), caption + native(f_.folder()));
        QVERIFY(window().close()); // nothing changed: no second question
        QCOMPARE(f_.dialogs().unsavedQuestions, 1);
        window().show();
        f_.action("redoAction").trigger();
        test::TempDir saved;
        f_.dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Save;
        f_.dialogs().nextSaveFolder = saved.path();
        QVERIFY(window().close());
        QVERIFY(test::readFile(saved / "all_channel.dat") == f_.workspace().channelBytes());
        QCOMPARE(title(), caption + native(saved.path()));
    }

    // Cancel, and Save with its folder dialog cancelled, keep the edit; Discard opens.
    void openingOverUnsavedEditsAsksFirst() {
        openShown();
        lockRow(0);
        const Bytes edited = f_.workspace().channelBytes();
        test::TempDir other;
        test::writeSample(other.path(), {.services = 50, .satellites = 2, .bouquets = 1});
        f_.dialogs().nextChannelFile = other / "all_channel.dat";
        using Choice = UserDialogs::UnsavedChoice;
        for (const Choice choice : {Choice::Cancel, Choice::Save, Choice::Discard}) {
            f_.dialogs().unsavedAnswer = choice;
            f_.button("openButton").click();
            QCOMPARE(f_.workspace().channelBytes() == edited, choice != Choice::Discard);
        }
        QCOMPARE(f_.dialogs().unsavedMoments, QStringList(3, "opening other files"));
        QCOMPARE(f_.serviceModel().rowCount(), 50);
    }

    // Typing a name selects the first that starts so, a refilled list starts at its first row
    // and first column, and an open empties the box. Undo and redo name their step and keep
    // the filter, the order and the selection.
    void filtersOpensUndoAndRedoKeepTheListInView() {
        openShown();
        QScrollBar* down = view().verticalScrollBar();
        QScrollBar* across = view().horizontalScrollBar();
        down->setValue(down->maximum());
        across->setValue(across->maximum());
        f_.typeFilter().setFocus();
        QTest::keyClick(&f_.typeFilter(), Qt::Key_Down);
        QCOMPARE(f_.typeFilter().currentIndex(), 1);
        QCOMPARE(std::pair(down->value(), across->value()), std::pair(0, 0));

        QTest::keyClicks(&f_.searchBox(), "sp");
        const auto selected = view().selectedPositions();
        QCOMPARE(selected.size(), std::size_t{1});
        QVERIFY(f_.cell(selected[0], colService).toLower().startsWith("sp"));
        QTest::keyClicks(&f_.searchBox(), "qqq"); // no match: the selection stays
        QCOMPARE(view().selectedPositions(), selected);
        across->setValue(across->maximum());
        QVERIFY(window().openFolder(f_.folder()));
        QCOMPARE(across->value(), 0);
        QCOMPARE(f_.searchBox().text(), QString());

        f_.typeFilter().setCurrentIndex(1);
        emit view().horizontalHeader()->sectionClicked(colService);
        const QString firstBefore = f_.cell(0, colService);
        test::clickRow(view(), 2);
        test::clickRow(view(), 3, Qt::ShiftModifier);
        view().lockAction()->trigger();
        test::clickRow(view(), 9);
        QTest::keyClick(&view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!f_.workspace().modified());
        QCOMPARE(f_.action("redoAction").text(), QString("Redo LOCK 2 Services"));
        QCOMPARE(f_.cell(0, colService), firstBefore); // filter and order stay
        QCOMPARE(view().selectedPositions(), (std::vector<int>{2, 3}));
        QVERIFY(!(f_.cell(2, colHdFlag).toInt() & 2));
        QTest::keyClick(&view(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(f_.cell(2, colHdFlag).toInt() & 2);
    }

    // The question and the backups are the save policy's; the window asks and obeys.
    void savingAsksAboutFilesChangedOnDiskAndNamesKeptSatellites() {
        QVERIFY(window().openFolder(f_.folder()));
        lockRow(0);
        QTest::qWait(5); // a later time stamp, the same bytes
        test::writeFile(f_.folder() / "DVBS.dat", test::readFile(f_.folder() / "DVBS.dat"));
        f_.dialogs().nextSaveFolder = f_.folder();
        f_.dialogs().yesNoAnswers = {false, true};
        QVERIFY(!window().saveFiles());
        QCOMPARE(f_.dialogs().asked.size(), std::size_t{1});
        QCOMPARE(f_.status().note(),
                 "Nothing was saved to " + QString::fromStdString(f_.folder().string()));
        QVERIFY(test::readFile(f_.folder() / "all_channel.dat") != f_.workspace().channelBytes());
        QVERIFY(window().saveFiles());
        QVERIFY(test::readFile(f_.folder() / "all_channel.dat") == f_.workspace().channelBytes());

        // A folder without DVBS.dat keeps the satellites opened before: the status bar says so,
        // and so does the message of the next save into that folder.
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

    void recentFoldersSurviveARestartAndTheScreenshotOption() {
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
        QStringList shown; // the entry of a folder whose files are gone is off
        for (const QAction* entry : recent->actions()) {
            shown << entry->text() + (entry->isEnabled() ? "" : " (off)");
        }
        QCOMPARE(shown, QStringList({native(gone.path()) + " (off)", native(saved.path()),
                                     native(f_.folder())}));
        recent->actions()[2]->trigger();
        QCOMPARE(f_.serviceModel().rowCount(), 600);

        // --screenshot writes a picture of the window; the start makes the staging folder.
        const QString png = native(saved / "window.png");
        QCOMPARE(QProcess::execute(TAVRINO_BINARY, {"--data-dir", native(f_.data()), "--screenshot",
                                                    png, native(f_.folder())}),
                 0);
        QVERIFY(QImage(png).width() >= window().minimumWidth());
        QVERIFY(std::filesystem::is_directory(f_.data() / "tmp"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
