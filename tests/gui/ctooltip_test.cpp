#include "widgets/ctooltip.h"

#include <QMenu>
#include <QScreen>
#include <QtTest>

using tavrino::widgets::CTooltip;

class CTooltipTest : public QObject {
    Q_OBJECT

private slots:
    // Created twice it leaves one window, which stays on screen near its lower edge; Destroy
    // removes it. It waits while a menu is open, the pointer has left or another window is in
    // front.
    void staysOnScreenIsOneWindowAndWaitsForMenuAndPointer() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget parent;
        parent.setGeometry(screen.left() + 10, screen.bottom() - 60, 200, 50);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        CTooltip tip;
        tip.setDelayTime(0);
        tip.setTitle("Channel Info");
        tip.setTipText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12");
        QCursor::setPos(parent.mapToGlobal(QPoint(100, 40)));
        QVERIFY(tip.Create(&parent));
        QVERIFY(tip.Create(&parent));
        const auto isTip = [](const QWidget* w) { return w->objectName() == "CTooltip"; };
        QCOMPARE(std::ranges::count_if(QApplication::topLevelWidgets(), isTip), qsizetype{1});
        QTRY_VERIFY(tip.isShowing());
        QVERIFY(screen.contains(tip.tipWindow()->frameGeometry()));
        tip.Destroy();
        QVERIFY(!tip.exists());

        QMenu menu;
        menu.addAction("LOCK");
        menu.popup(parent.mapToGlobal(QPoint(50, 10)));
        // First over the parent with the menu open, then away from the parent.
        for (const QPoint at : {QPoint(20, 20), QPoint(500, 500)}) {
            QCursor::setPos(parent.mapToGlobal(at));
            QVERIFY(tip.Create(&parent));
            QTest::qWait(30);
            QVERIFY(!tip.isShowing());
            menu.close();
        }

        // A window in front, as the dialog a double click opens, takes the tip down for good.
        QCursor::setPos(parent.mapToGlobal(QPoint(100, 40)));
        QVERIFY(tip.Create(&parent));
        QTRY_VERIFY(tip.isShowing());
        QWidget front;
        front.show();
        front.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&front));
        QVERIFY(!tip.isShowing());
        QVERIFY(tip.Create(&parent));
        QTest::qWait(30);
        QVERIFY(!tip.isShowing());
    }
};

QTEST_MAIN(CTooltipTest)
#include "ctooltip_test.moc"
