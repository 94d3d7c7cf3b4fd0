#include "app/main_window.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/service_edit_dialog.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "database/layout.h"
#include "real_input.h"
#include "scripted_dialogs.h"
#include "services/service_columns.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;
namespace cap = tavrino::service_captions;

class ServiceEditDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    OrganizeListTab& tab() { return *window_->organizeListTab(); }
    ServiceListView& view() { return *tab().serviceView(); }
    ServiceEditDialog& dialog() { return *tab().editDialog(); }
    QString cell(int position, int column) {
        return tab().serviceModel()->index(position, column).data().toString();
    }

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
    void typeInto(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void clickOk() {
        auto* ok = dialog().findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempDir>();
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        test::writeSample(folder_->path(), {.services = 120, .satellites = 4, .bouquets = 2});
        window_ = std::make_unique<MainWindow>(*dialogs_,
                                               QString::fromStdString(folder_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QVERIFY(window_->openFolder(folder_->path()));
    }
    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
    }

    void opensFilledFromTheRowAndOkWithoutChangesWritesNothing() {
        editRow(3);
        QCOMPARE(dialog().box(cap::name)->text(), cell(3, colService));
        QCOMPARE(dialog().box(cap::sid)->text(), cell(3, colSid));
        QCOMPARE(dialog().list(cap::satellite)->currentText(), cell(3, colSatellite));
        QVERIFY(!dialog().isModal());
        const Bytes before = window_->document().workspace().channelBytes();
        clickOk();
        QVERIFY(!dialog().isVisible());
        QVERIFY(window_->document().workspace().channelBytes() == before);
        QVERIFY(!window_->document().workspace().modified());
    }

    void okWritesWhatWasTypedAndTheRowFollows() {
        editRow(5);
        const std::uint32_t record = cell(5, colLokacija).toUInt();
        typeInto(dialog().box(cap::name), "Neu");
        dialog().flagBox("LOCK")->click();
        clickOk();
        const Bytes& image = window_->document().workspace().channelBytes();
        QCOMPARE(image[record + layout::channel::service::nameLength], std::uint8_t{3});
        QCOMPARE(image[record + layout::channel::service::name], std::uint8_t{'N'});
        QVERIFY(image[record + layout::channel::service::flags] & 2);
        QCOMPARE(cell(5, colService), QString("Neu"));
        QCOMPARE(window_->undoAction()->text(), QString("Undo Edit Service"));
    }

    // The dialog remembers its record: sorting the list meanwhile does not redirect "OK".
    void aSortWhileOpenEditsTheSameService() {
        editRow(0);
        const std::uint32_t record = cell(0, colLokacija).toUInt();
        const QRect header = view().horizontalHeader()->geometry();
        QTest::mouseClick(view().horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(view().horizontalHeader()->sectionViewportPosition(colService) + 5,
                                 header.height() / 2));
        QVERIFY(cell(0, colLokacija).toUInt() != record);
        typeInto(dialog().box(cap::pmt), "4321");
        clickOk();
        QCOMPARE(test::get(window_->document().workspace().channelBytes(),
                           record + layout::channel::service::pmtPid, 2),
                 std::int64_t{4321});
    }

    void aRefusedValueKeepsTheDialogOpen() {
        editRow(2);
        const Bytes before = window_->document().workspace().channelBytes();
        typeInto(dialog().box(cap::sid), "70000");
        clickOk();
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY(dialogs_->told[0].text.find("SID") != std::string::npos);
        QCOMPARE(dialog().box(cap::sid)->text(), QString("70000"));
        QVERIFY(window_->document().workspace().channelBytes() == before);
    }

    // Values outside what the field can mean: a negative frequency, a PID beyond 13 bits.
    void aNegativeFrequencyOrAWidePidIsRefusedNamingTheBox() {
        editRow(4);
        const Bytes before = window_->document().workspace().channelBytes();
        typeInto(dialog().box(cap::frequency), "-5");
        clickOk();
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].text,
                 std::string("Freqfency: enter a whole number from 1 to 2147483647 !!!"));
        QCOMPARE(dialog().box(cap::frequency)->text(), QString("-5"));
        QCOMPARE(dialog().focusWidget(), dialog().box(cap::frequency)); // the refused box

        typeInto(dialog().box(cap::frequency), "11778000");
        typeInto(dialog().box(cap::vpid), "8192");
        clickOk();
        QCOMPARE(dialogs_->told.size(), std::size_t{2});
        QCOMPARE(dialogs_->told[1].text,
                 std::string("video_pid: enter a whole number from 0 to 8191 !!!"));
        QCOMPARE(dialog().box(cap::vpid)->text(), QString("8192"));
        QVERIFY(window_->document().workspace().channelBytes() == before);
    }

    // An IP channel's TID box is "PORT": a refusal names it so and puts the cursor there.
    void anIpChannelsPortIsRefusedAsPort() {
        int row = 0;
        while (!cell(row, colSatellite).startsWith("IP_CHANNEL")) {
            ++row;
        }
        editRow(row);
        typeInto(dialog().box(cap::name), "x");
        typeInto(dialog().box(cap::tid), "70000");
        clickOk();
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].text,
                 std::string("PORT: enter a whole number from 0 to 65535 !!!"));
        QCOMPARE(dialog().focusWidget(), dialog().box(cap::tid));
    }

    void hdAndSdStandOpposite() {
        editRow(1);
        QCheckBox* hd = dialog().flagBox("HD");
        QCheckBox* sd = dialog().flagBox("SD");
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        hd->click();
        QCOMPARE(sd->isChecked(), !hd->isChecked());
        sd->click();
        QCOMPARE(sd->isChecked(), !hd->isChecked());
    }

    void enterAndADoubleClickOpenIt() {
        test::clickRow(view(), 4);
        QTest::keyClick(&view(), Qt::Key_Return);
        QTRY_VERIFY(dialog().isVisible());
        QVERIFY(dialog().isOpenFor(cell(4, colLokacija).toUInt()));
        dialog().reject();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        test::doubleClickRow(view(), 9);
        QTRY_VERIFY(dialog().isVisible());
        QVERIFY(dialog().isOpenFor(cell(9, colLokacija).toUInt()));
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

    void undoToBeforeItOpenedClosesIt() {
        test::clickRow(view(), 7);
        view().lockAction()->trigger();
        editRow(7);
        window_->undoAction()->trigger();
        QVERIFY(!dialog().isVisible());
    }
};

QTEST_MAIN(ServiceEditDialogTest)
#include "service_edit_dialog_test.moc"
