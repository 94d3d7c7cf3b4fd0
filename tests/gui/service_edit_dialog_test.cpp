#include "services/service_columns.h"
#include "window_fixture.h"

#include <QDialogButtonBox>

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
    bool anythingToUndo() { return f_.action("undoAction").isEnabled(); }

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
    // change writes nothing, OK after one edits the row, which stays selected. HD and SD
    // stand opposite.
    void opensFilledFromTheRowAndOkWritesWhatWasTyped() {
        test::clickRow(view(), 3);
        QTest::keyClick(&view(), Qt::Key_Return);
        QTRY_VERIFY(dialog().isVisible());
        QCOMPARE(dialog().box(cap::name)->text(), cell(3, colService));
        QCOMPARE(dialog().box(cap::sid)->text(), cell(3, colSid));
        QCOMPARE(dialog().list(cap::satellite)->currentText(), cell(3, colSatellite));
        clickOk();
        QVERIFY(!dialog().isVisible());
        f_.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f_.window()));
        test::doubleClickRow(view(), 9);
        QTRY_VERIFY(dialog().isOpenFor(cell(9, colLokacija).toUInt()));
        clickOk();
        QVERIFY(!anythingToUndo());

        editRow(5);
        test::typeInto(dialog().box(cap::name), "Neu");
        QCheckBox* hd = dialog().flagBox("HD");
        QCheckBox* sd = dialog().flagBox("SD");
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        hd->click();
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        sd->click();
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        dialog().flagBox("LOCK")->click();
        clickOk();
        QCOMPARE(cell(5, colService), QString("Neu"));
        QVERIFY(cell(5, colHdFlag).toInt() & flagLocked);
        QCOMPARE(view().selectedPositions(), std::vector<int>{5});
        editRow(5); // an undo to before it opened closes it
        f_.action("undoAction").trigger();
        QVERIFY(!dialog().isVisible());
    }

    // The dialog remembers its record: sorting the list meanwhile does not redirect "OK".
    void aSortWhileOpenEditsTheSameService() {
        editRow(0);
        const std::uint32_t record = cell(0, colLokacija).toUInt();
        QHeaderView* header = view().horizontalHeader();
        const QPoint name(header->sectionViewportPosition(colService) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name);
        QVERIFY(cell(0, colLokacija).toUInt() != record);
        test::typeInto(dialog().box(cap::pmt), "4321");
        clickOk();
        int edited = -1; // where the record stands in the sorted list
        for (int p = 0; p < f_.serviceModel().rowCount(); ++p) {
            edited = cell(p, colLokacija).toUInt() == record ? p : edited;
        }
        QVERIFY(edited > 0);
        QCOMPARE(cell(edited, colPmt), QString("4321"));
    }

    // A refused value keeps the dialog open with the text typed, names its box and puts the
    // cursor there; nothing is written. An IP channel's TID box is "PORT".
    void aRefusedValueIsNamedAndKeepsTheDialogOpen() {
        struct Case {
            bool ipChannel;
            const char* box;
            const char* typed;
            std::string told;
        };
        int ipRow = 0;
        while (!cell(ipRow, colSatellite).startsWith("IP_CHANNEL")) {
            ++ipRow;
        }
        for (const Case& c : {
                 Case{false, cap::vpid, "8192",
                      "video_pid: enter a whole number from 0 to 8191 !!!"},
                 Case{true, cap::tid, "70000", "PORT: enter a whole number from 0 to 65535 !!!"},
             }) {
            editRow(c.ipChannel ? ipRow : 2);
            f_.dialogs().told.clear();
            test::typeInto(dialog().box(c.box), c.typed);
            clickOk();
            QVERIFY(dialog().isVisible());
            QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
            QCOMPARE(f_.dialogs().told[0].text, c.told);
            QCOMPARE(dialog().box(c.box)->text(), QString(c.typed));
            QCOMPARE(dialog().focusWidget(), dialog().box(c.box));
            QVERIFY(!anythingToUndo());
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
        QVERIFY(shownOnly.contains(dialog().box(cap::provider)));
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
