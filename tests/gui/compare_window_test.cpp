#include "app/compare/compare_window.h"
#include "app/compare/comparison_view.h"
#include "cli_runner.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
namespace fs = std::filesystem;

// ASCII letters in one case and numbers by value: "Alpha 81" before "Alpha 144".
bool sortedNaturally(const QStringList& cells) {
    static const QRegularExpression parts("(\\d+)|(\\D+)");
    QStringList keys;
    for (const QString& cell : cells) {
        keys << QString();
        for (auto it = parts.globalMatch(cell); it.hasNext();) {
            const auto part = it.next();
            keys.last() += part.hasCaptured(1) ? part.captured(1).rightJustified(12, '0')
                                               : part.captured(2).toLower();
        }
    }
    return std::is_sorted(keys.begin(), keys.end());
}

// File, "Compare With Folder...": a scan open in the window, its rescan in another folder.
class CompareWindowTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;
    std::unique_ptr<test::TempDir> scan_;
    std::unique_ptr<test::TempDir> rescan_;
    sample::Rescan made_;

    CompareWindow* window() { return f_.findWindow<CompareWindow>("compareWindow"); }
    QTableView& table() const { return f_.find<QTableView>("comparisonTable"); }
    QAbstractItemModel& rows() const { return *table().model(); }
    QString cell(int row, int column) const { return rows().index(row, column).data().toString(); }
    QString pathText(const fs::path& path) const { return QString::fromStdString(path.string()); }

    CompareWindow* compareWith(const fs::path& folder) {
        f_.dialogs().nextChannelFile = folder / "all_channel.dat";
        f_.fileEntry("Compare With Folder...").trigger();
        CompareWindow* shown = window();
        return shown != nullptr && QTest::qWaitForWindowExposed(shown) ? shown : nullptr;
    }
    // Rows of services that only the open lists have, as the unfiltered table shows them.
    std::vector<int> addedServiceRows() {
        std::vector<int> found;
        const auto& all = window()->view()->comparison().rows();
        for (std::size_t r = 0; r < all.size(); ++r) {
            if (all[r].area == DiffArea::Service && all[r].change == DiffChange::Added) {
                found.push_back(static_cast<int>(r));
            }
        }
        return found;
    }
    std::uint32_t serviceOfRow(int row) {
        return *window()->view()->comparison().rows()[static_cast<std::size_t>(row)].afterService;
    }
    QString rowText(int r) const { return cell(r, 2) + cell(r, 3) + cell(r, 4); }
    QStringList column(int c) const { return test::columnOf(rows(), c); }
    std::optional<std::uint32_t> selectedService() {
        const int p = f_.serviceView().currentSelectedPosition();
        return p < 0 ? std::nullopt
                     : std::optional(f_.workspace().view().tableRow(static_cast<std::size_t>(p)));
    }

private slots:
    void init() {
        scan_ = std::make_unique<test::TempDir>();
        rescan_ = std::make_unique<test::TempDir>();
        const auto scanned =
            sample::generate({.services = 600, .satellites = 4, .bouquets = 4, .seed = 3});
        sample::writeFolder(scanned, scan_->path());
        made_ = sample::rescan(scanned, {.seed = 8});
        sample::writeFolder(made_.files, rescan_->path());
        f_.start({.sample = std::nullopt});
        QVERIFY(!f_.fileEntry("Compare With Folder...").isEnabled()); // nothing open yet
        QVERIFY(f_.window().openFolder(scan_->path()));
    }
    void cleanup() { f_.stop(); }

    // A damaged folder is refused naming the file, the open lists kept. A folder without
    // DVBS.dat compares as having no satellites, and the window says so; Tab goes from the rows
    // round to the filters.
    void aDamagedFolderIsRefusedAndAMissingFileIsTold() {
        const Bytes channel = test::readFile(*rescan_ / "all_channel.dat");
        test::writeFile(*rescan_ / "all_channel.dat", Bytes(channel.begin(), channel.begin() + 40));
        QVERIFY(compareWith(rescan_->path()) == nullptr);
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY2(f_.dialogs().told[0].text.find("all_channel.dat") != std::string::npos,
                 f_.dialogs().told[0].text.c_str());
        QCOMPARE(f_.workspace().files().channelPath, (scan_->path() / "all_channel.dat").string());
        test::writeFile(*rescan_ / "all_channel.dat", channel);
        fs::remove(rescan_->path() / "DVBS.dat");
        QVERIFY(compareWith(rescan_->path()) != nullptr);
        QCOMPARE(f_.find<QLabel>("comparisonNote").text(),
                 pathText(rescan_->path()) + " has no DVBS.dat; it counts as empty.");
        QVERIFY(table().hasFocus());
        QWidget* area = &f_.find<QComboBox>("comparisonAreaFilter");
        for (int tab = 0; tab < 4 && !area->hasFocus(); ++tab) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(area->hasFocus());
    }

    void theFolderIsReadWithoutWritingAndSavedAsTheCommandLinePrintsIt() {
        test::writeText(*rescan_ / ".DVBS.dat.tmp-Ab12C0", "left by a save"); // an open removes it
        const auto there = test::entries(rescan_->path());
        CompareWindow* shown = compareWith(rescan_->path());
        QVERIFY(shown != nullptr);
        QCOMPARE(f_.dialogs().startFolders.last(), pathText(scan_->path()));
        QCOMPARE(shown->windowTitle(), "Compare With Folder - " + pathText(rescan_->path()));
        QCOMPARE(test::entries(rescan_->path()), there);
        // Before is the folder, after the open lists: what the rescan lost was "added".
        const QString counts = f_.find<QLabel>("comparisonCounts").text();
        QVERIFY2(counts.startsWith(QString("Services: %1 added, ").arg(made_.removed.size())),
                 qPrintable(counts));

        const int all = rows().rowCount();
        QComboBox& area = f_.find<QComboBox>("comparisonAreaFilter");
        QComboBox& change = f_.find<QComboBox>("comparisonChangeFilter");
        for (QComboBox* box : {&area, &change}) {
            QTest::keyClick(box, Qt::Key_Home);
            QTest::keyClick(box, Qt::Key_Down); // "Service", "Added"
        }
        QCOMPARE(column(0) + column(1), QStringList(made_.removed.size(), "Service") +
                                            QStringList(made_.removed.size(), "Added"));
        const QString name = cell(0, 2);
        QTest::keyClick(&area, Qt::Key_Home);
        QTest::keyClick(&change, Qt::Key_Home);
        test::typeInto(&f_.find<QLineEdit>("comparisonTextFilter"), name.toLower());
        QVERIFY(rows().rowCount() > 0 && rows().rowCount() < all);
        for (int r = 0; r < rows().rowCount(); ++r) { // the name, place, before or after
            const QString text =
                QStringList{cell(r, 2), cell(r, 3), cell(r, 5), cell(r, 6)}.join('|');
            QVERIFY2(text.contains(name, Qt::CaseInsensitive), qPrintable(text));
        }

        f_.dialogs().nextCsvToWrite = f_.data() / "diff.csv";
        QTest::mouseClick(&f_.button("saveComparisonButton"), Qt::LeftButton);
        const auto cli = test::runCli({"diff", rescan_->path().string(), scan_->path().string()});
        QCOMPARE(cli.exitCode, 1);
        QCOMPARE(test::readText(f_.data() / "diff.csv"), cli.out); // every row, not the shown
        f_.dialogs().nextCsvToWrite = f_.data() / "no such folder" / "diff.csv";
        QTest::mouseClick(&f_.button("saveComparisonButton"), Qt::LeftButton);
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY(f_.find<QLabel>("comparisonMessage").text().isEmpty()); // no success shown
    }

    // A row selects its service, clearing the list's filter when it hides it; once the lists
    // change, the rows select nothing until Refresh.
    void aRowSelectsItsServiceWhileTheComparisonIsCurrent() {
        QVERIFY(compareWith(rescan_->path()) != nullptr);
        const std::vector<int> added = addedServiceRows();
        QVERIFY(added.size() >= 2);
        const std::uint32_t service = serviceOfRow(added[0]);
        for (int s = 1; f_.workspace().view().positionOfTableRow(service); ++s) {
            QTest::keyClick(&f_.satelliteFilter(), Qt::Key_Down); // a satellite it is not on
            QVERIFY(s < f_.satelliteFilter().count());
        }
        f_.tabs().setCurrentIndex(1);
        test::doubleClickRow(table(), added[0]);
        QCOMPARE(f_.tabs().currentIndex(), 0);
        QCOMPARE(f_.satelliteFilter().currentIndex(), 0);
        QCOMPARE(selectedService(), std::optional(service));
        QCOMPARE(f_.status().note(),
                 QString("The service list's filters were cleared to show the service"));

        test::clickRow(f_.serviceView(), 3);
        const auto edited = selectedService();
        f_.serviceView().lockAction()->trigger();
        QLabel& stale = f_.find<QLabel>("comparisonStale");
        QVERIFY(stale.isVisible());
        test::doubleClickRow(table(), added[1]);
        QTest::keyClick(&table(), Qt::Key_Return);
        QCOMPARE(selectedService(), edited);

        const std::uint32_t current = serviceOfRow(added[1]);
        QTest::mouseClick(&f_.button("refreshComparisonButton"), Qt::LeftButton);
        QVERIFY(!stale.isVisible());
        // The row current before stays current, and the rows have the focus.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(selectedService(), std::optional(current));
        QVERIFY(window()->isVisible()); // Enter took no button of the window
    }

    // Header clicks sort up, down and back to the comparison's order; the current row stays on
    // its row. A service only the other side has says why it selects nothing.
    void headersSortAndAServiceOnlyBeforeIsSaid() {
        QVERIFY(f_.window().openFolder(rescan_->path()));
        QVERIFY(compareWith(scan_->path()) != nullptr);
        const QStringList natural = column(2);
        test::clickRow(table(), 5);
        const QString current = rowText(5);
        test::clickHeader(*table().horizontalHeader(), 2);
        const QStringList names = column(2);
        QVERIFY(sortedNaturally(names) && names != natural);
        QCOMPARE(rowText(table().currentIndex().row()), current);
        test::clickHeader(*table().horizontalHeader(), 2);
        QCOMPARE(column(2).first(), names.last());
        test::clickHeader(*table().horizontalHeader(), 2);
        QCOMPARE(column(2), natural);
        // Frequencies as numbers: 9750000 before 10700000.
        test::clickHeader(*table().horizontalHeader(), 5);
        QVERIFY(sortedNaturally(column(5)));
        // The header takes no focus; the rows' menu sorts by keyboard.
        QTest::keyClick(&table(), Qt::Key_F10, Qt::ShiftModifier);
        auto* menu = table().findChild<QMenu*>("comparisonSortMenu");
        QTRY_VERIFY(menu && menu->isVisible());
        for (int i = 0; i < 3; ++i) { // to "Sort by Name"
            QTest::keyClick(menu, Qt::Key_Down);
        }
        QTest::keyClick(menu, Qt::Key_Return);
        QCOMPARE(column(2), names);

        QComboBox& change = f_.find<QComboBox>("comparisonChangeFilter");
        QTest::keyClick(&change, Qt::Key_Home);
        QTest::keyClick(&change, Qt::Key_Down);
        QTest::keyClick(&change, Qt::Key_Down); // "Removed"
        QVERIFY(rows().rowCount() > 0);
        f_.tabs().setCurrentIndex(1);
        test::doubleClickRow(table(), 0);
        QCOMPARE(f_.find<QLabel>("comparisonMessage").text(),
                 QString("That service is not in the open lists."));
        QCOMPARE(f_.tabs().currentIndex(), 1);
    }
};

QTEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
