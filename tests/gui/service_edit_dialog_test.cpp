#include "services/service_columns.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
namespace cap = tavrino::service_captions;

class ServiceEditDialogTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    ServiceListView& view() { return f_.serviceView(); }
    ServiceEditDialog& dialog() { return f_.editDialog(); }
    QString cell(int position, int column) { return f_.cell(position, column); }

    // The right button on the row, then "Edit" clicked in the menu that opens.
    void editRow(int position) {
        test::clickRow(view(), position);
        test::rightClickRow(view(), position);
        QMenu* menu = view().contextMenu();
        QTRY_VERIFY(menu->isVisible());
        const QRect entry = menu->actionGeometry(view().editAction());
        QTest::mouseClick(menu, Qt::LeftButton, {}, entry.center());
        QTRY_VERIFY(dialog().isVisible());
    }
    void clickOk() {
        auto* ok = dialog().findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    }

private slots:
    void init() {
        f_.start({.sample = sample::Options{.services = 120, .satellites = 4, .bouquets = 2},
                  .dataInFolder = true});
    }
    void cleanup() { f_.stop(); }

    // Enter, a double click and the menu's Edit open it filled from the row; OK without a
    // change writes nothing, OK after one edits the row, which stays selected, also when the
    // list was sorted meanwhile. HD and SD stand opposite.
    void opensFilledFromTheRowAndOkWritesWhatWasTyped() {
        test::clickRow(view(), 3);
        QTest::keyClick(&view(), Qt::Key_Return);
        QTRY_VERIFY(dialog().isVisible());
        QCOMPARE((QStringList{dialog().box(cap::name)->text(), dialog().box(cap::sid)->text(),
                              dialog().list(cap::satellite)->currentText()}),
                 (QStringList{cell(3, colService), cell(3, colSid), cell(3, colSatellite)}));
        clickOk();
        QVERIFY(!dialog().isVisible());
        f_.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f_.window()));
        test::doubleClickRow(view(), 9);
        QTRY_VERIFY(dialog().isOpenFor(cell(9, colLokacija).toUInt()));
        clickOk();
        QVERIFY(!f_.action("undoAction").isEnabled());

        editRow(5);
        test::typeInto(dialog().box(cap::name), "Neu");
        QCheckBox* hd = dialog().flagBox("HD");
        QCheckBox* sd = dialog().flagBox("SD");
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        hd->click();
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        dialog().flagBox("LOCK")->click();
        clickOk();
        QCOMPARE(cell(5, colService), QString("Neu"));
        QVERIFY(cell(5, colHdFlag).toInt() & flagLocked);
        QCOMPARE(view().selectedPositions(), std::vector<int>{5});

        // The dialog remembers its record: sorting the list meanwhile does not redirect "OK".
        editRow(0);
        const std::uint32_t record = cell(0, colLokacija).toUInt();
        test::clickHeader(*view().horizontalHeader(), colService);
        QVERIFY(cell(0, colLokacija).toUInt() != record);
        test::typeInto(dialog().box(cap::pmt), "4321");
        clickOk();
        // Where the record stands in the sorted list.
        const QModelIndexList edited =
            f_.serviceModel().match(f_.serviceModel().index(0, colLokacija), Qt::DisplayRole,
                                    QString::number(record), 1, Qt::MatchFixedString);
        QVERIFY(edited.size() == 1 && edited[0].row() > 0);
        QCOMPARE(cell(edited[0].row(), colPmt), QString("4321"));
        editRow(5); // an undo to before it opened closes it
        f_.action("undoAction").trigger();
        QVERIFY(!dialog().isVisible());
    }

    // A refused value keeps the dialog open with the text typed, names its box and puts the
    // cursor there; nothing is written. An IP channel's TID box is "PORT".
    void aRefusedValueIsNamedAndKeepsTheDialogOpen() {
        using Case = std::tuple<bool, const char*, const char*, std::string>;
        int ipRow = 0;
        while (!cell(ipRow, colSatellite).startsWith("IP_CHANNEL")) {
            ++ipRow;
        }
        for (const auto& [ipChannel, box, typed, message] : {
                 Case{false, cap::vpid, "8192",
                      "video_pid: enter a whole number from 0 to 8191 !!!"},
                 Case{true, cap::tid, "70000", "PORT: enter a whole number from 0 to 65535 !!!"},
             }) {
            editRow(ipChannel ? ipRow : 2);
            f_.dialogs().told.clear();
            test::typeInto(dialog().box(box), typed);
            clickOk();
            QVERIFY(dialog().isVisible());
            QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
            QCOMPARE(f_.dialogs().told[0].text, message);
            QCOMPARE(dialog().box(box)->text(), QString(typed));
            QCOMPARE(dialog().focusWidget(), dialog().box(box));
            QVERIFY(!f_.action("undoAction").isEnabled());
            dialog().reject();
            f_.window().activateWindow();
        }
    }

    // Fields that only show a value look it and take no Tab stop.
    void readOnlyFieldsAreShownAsSuch() {
        editRow(6);
        const QColor editable = dialog().box(cap::name)->palette().color(QPalette::Base);
        QList<QLineEdit*> shownOnly;
        for (QLineEdit* box : dialog().findChildren<QLineEdit*>()) {
            if (box->isReadOnly()) {
                shownOnly << box;
                QVERIFY(box->palette().color(QPalette::Base) != editable);
            }
        }
        QVERIFY(shownOnly.contains(dialog().box(cap::countryId)));
        QVERIFY(QTest::qWaitForWindowActive(&dialog()));
        dialog().box(cap::name)->setFocus(Qt::TabFocusReason);
        QList<QWidget*> visited;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            QVERIFY(dialog().isAncestorOf(now));
            QVERIFY2(!shownOnly.contains(qobject_cast<QLineEdit*>(now)),
                     qPrintable(now->objectName()));
            visited << now;
        }
        QVERIFY(visited.contains(dialog().list(cap::satellite))); // Tab did go round
    }
};

QTEST_MAIN(ServiceEditDialogTest)
#include "service_edit_dialog_test.moc"
