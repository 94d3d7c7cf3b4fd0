#include "app/about_dialog.h"
#include "app/apply_preview_dialog.h"
#include "app/organize_sat/import_preview_dialog.h"
#include "app/organize_sat/kingofsat_window.h"
#include "reference/reference_list.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;

namespace {

// The whole widget, frame included for a window, lies on the screen.
bool onScreen(const QWidget& w) {
    const QRect rect =
        w.isWindow() ? w.frameGeometry() : QRect(w.mapToGlobal(QPoint(0, 0)), w.size());
    return QGuiApplication::primaryScreen()->availableGeometry().contains(rect);
}

// A window that has come up and lies whole on the screen.
bool shownOnScreen(QWidget* window) {
    return window != nullptr && QTest::qWaitForWindowExposed(window) && onScreen(*window);
}

} // namespace

// A netbook's screen, 1024 x 600: the window and its dialogs fit it whole.
class SmallScreenTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;
    MainWindow* window_ = nullptr;

    // Every button of the tab shown lies inside the window, none squeezed below its size.
    void everyButtonInSight() {
        QApplication::processEvents();
        QWidget* page = f_.tabs().currentWidget();
        // Nothing squeezed, and no scroll bars on this screen either.
        auto* area = qobject_cast<QScrollArea*>(page);
        QWidget* content = area != nullptr ? area->widget() : page;
        QVERIFY(content->minimumSizeHint().height() <= page->height());
        QVERIFY(content->minimumSizeHint().width() <= page->width());
        for (QPushButton* button : page->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(page)) {
                continue;
            }
            const QRect box(button->mapTo(window_, QPoint(0, 0)), button->size());
            QVERIFY2(window_->rect().contains(box), qPrintable(button->text()));
            QVERIFY2(button->height() >= button->minimumSizeHint().height(),
                     qPrintable(button->text()));
        }
    }

private slots:
    void init() {
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1024, 600));
        f_.start({.sample = sample::Options{.services = 300, .satellites = 4, .bouquets = 3}});
        window_ = &f_.window();
    }
    void cleanup() { f_.stop(); }

    // At its smallest every tab and the status bar fit, and a long note gives way while the
    // counters stay whole; maximized, a note that fits is read whole.
    void theWindowFitsWithEveryTabAndTheStatusBar() {
        QVERIFY(onScreen(*window_));
        window_->resize(window_->minimumSize());
        for (int i = 0; i < f_.tabs().count(); ++i) {
            f_.tabs().setCurrentIndex(i);
            everyButtonInSight();
        }
        // Combination's three more lists scroll with the fields; the buttons stay in sight.
        f_.tabs().setCurrentIndex(1);
        auto* diseqc = f_.window().findChild<QComboBox*>("DiSEqC :");
        diseqc->setFocus(Qt::TabFocusReason);
        QTest::keyClick(diseqc, Qt::Key_End);
        QCOMPARE(diseqc->currentText(), QString("Combination"));
        everyButtonInSight();
        QVERIFY(window_->rect().contains(window_->statusBar()->geometry()));
        f_.status().showNote(QString("Saved to %1 (the files it replaced are in %2)")
                                 .arg(QString(120, 'x'), QString(120, 'y')),
                             8000);
        QApplication::processEvents();
        for (int panel = 3; panel <= 5; ++panel) { // the counters
            QLabel* label = f_.status().panel(panel);
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            QVERIFY(window_->rect().contains(
                QRect(label->mapTo(window_, QPoint(0, 0)), label->size())));
        }
        QVERIFY(f_.status().note().endsWith(QString(120, 'y') + ")"));

        window_->showMaximized();
        QTRY_VERIFY(window_->isMaximized());
        QApplication::processEvents();
        QVERIFY(onScreen(*window_)); // and with it the menu and status bars
        // The profile and the address give way first.
        f_.status().showProfile("TEST Connection", "192.168.1.36", 21, 23);
        const QString note("Saved to /tmp/hand/a (the files it replaced are in backups/2026)");
        f_.status().showNote(note, 8000);
        QApplication::processEvents();
        QCOMPARE(f_.status().findChild<QLabel*>("statusNote")->text(), note);
    }

    // Every dialog fits. The edit dialog's fields scroll above OK and Cancel, and the wheel that
    // scrolls them must not change a list it passes.
    void theDialogsFitAndTheWheelLeavesTheEditDialogsListsAlone() {
        test::clickRow(f_.serviceView(), 2);
        QTest::keyClick(&f_.serviceView(), Qt::Key_Return);
        ServiceEditDialog& dialog = f_.editDialog();
        QTRY_VERIFY(dialog.isVisible());
        QVERIFY(onScreen(dialog));
        auto* buttons = dialog.findChild<QDialogButtonBox*>(); // OK and Cancel
        QVERIFY(buttons->isVisible() && onScreen(*buttons));
        const QList<QComboBox*> lists = dialog.findChildren<QComboBox*>();
        QVERIFY(!lists.isEmpty());
        for (QComboBox* list : lists) {
            QVERIFY(!list->hasFocus());
            const int before = list->currentIndex();
            const QPointF at = list->rect().center();
            QWheelEvent wheel(at, list->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list, &wheel);
            QCOMPARE(list->currentIndex(), before);
            QVERIFY(!wheel.isAccepted()); // left to the scroll area
        }
        dialog.reject();

        // The import windows and the other dialogs.
        // A name as long as some lists have.
        test::writeText(f_.data() / "satellites.xml",
                        "<satellites>\n<sat name=\"" + std::string(90, 'N') +
                            "\" flags=\"1\" position=\"192\">\n"
                            "<transponder frequency=\"10700000\" symbol_rate=\"27500000\" "
                            "polarization=\"0\" fec_inner=\"3\"/>\n</sat>\n</satellites>\n");
        f_.dialogs().nextSatellitesXml = f_.data() / "satellites.xml";
        f_.tabs().setCurrentIndex(1);
        QTest::mouseClick(&f_.button("importXmlButton"), Qt::LeftButton);
        auto* preview = window_->findChild<ImportPreviewDialog*>("importPreview");
        QVERIFY(shownOnScreen(preview));
        QTreeWidget* list = preview->satelliteList();
        QVERIFY2(list->header()->length() <= list->viewport()->width(),
                 "the list is no wider than its dialog");
        QVERIFY(onScreen(*preview->importButton()));
        preview->reject();
        QTRY_VERIFY(f_.button("importKingOfSatButton").isEnabled());
        test::writeText(f_.data() / "SATList.ini", "http://127.0.0.1:9/a?pos=19.2E&x=1\r\n");
        QTest::mouseClick(&f_.button("importKingOfSatButton"), Qt::LeftButton);
        auto* selection = window_->findChild<KingOfSatWindow*>("kingOfSatWindow");
        QVERIFY(shownOnScreen(selection));
        selection->reject();

        const auto csv = f_.data() / "bouquets.csv";
        exportBouquets(f_.workspace(), csv);
        f_.dialogs().nextCsvToRead = csv;
        f_.fileEntry("Apply Bouquets...").trigger();
        auto* apply = window_->findChild<ApplyPreviewDialog*>("applyPreviewDialog");
        QVERIFY(shownOnScreen(apply));
        apply->reject();
        test::clickRow(f_.bouquetList(), 0);
        f_.bouquetList().renameAction()->trigger();
        QVERIFY(shownOnScreen(&f_.nameDialog()));
        f_.nameDialog().reject();
        window_->menuBar()->actions().last()->trigger(); // About
        QVERIFY(shownOnScreen(window_->findChild<AboutDialog*>()));
    }
};

int main(int argc, char** argv) {
    // The offscreen platform with one screen of 1024 x 600, however the test is started.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TAVRINO_SCREEN_CONFIG);
    QApplication application(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
