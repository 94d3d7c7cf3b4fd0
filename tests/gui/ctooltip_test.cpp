#include "widgets/ctooltip.h"

#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QtTest>

using tavrino::widgets::CTooltip;

class CTooltipTest : public QObject {
    Q_OBJECT

    static QList<QLabel*> visibleLabels(QWidget* window) {
        QList<QLabel*> shown;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isHidden()) {
                shown << label;
            }
        }
        return shown;
    }

private slots:
    void createTwiceLeavesOneWindowAndDestroyRemovesIt() {
        QWidget parent;
        CTooltip tip;
        QVERIFY(tip.Create(&parent));
        QWidget* first = tip.tipWindow();
        QVERIFY(tip.Create(&parent));
        QVERIFY(tip.tipWindow() != first);
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            windows += w->objectName() == "CTooltip";
        }
        QCOMPARE(windows, 1);
        tip.Destroy();
        QVERIFY(!tip.exists());
        QVERIFY(!tip.Create(nullptr));
    }

    void propertiesUpdateTheLiveTip() {
        QWidget parent;
        parent.show();
        CTooltip tip;
        tip.setDelayTime(0);
        tip.setTipText("Body");
        QVERIFY(tip.Create(&parent));
        QCOMPARE(visibleLabels(tip.tipWindow()).size(), 1); // no title, no icon
        tip.setTitle("Channel Info");
        tip.setIcon(CTooltip::InformationIcon);
        tip.setTipText("News\nHD Ch.");
        tip.setBackColor(QColor(1, 2, 3));
        QCOMPARE(visibleLabels(tip.tipWindow()).size(), 3);
        QStringList texts;
        for (QLabel* label : visibleLabels(tip.tipWindow())) {
            texts << label->text();
        }
        QVERIFY(texts.contains("Channel Info"));
        QVERIFY(texts.contains("News\nHD Ch."));
        QCOMPARE(tip.tipWindow()->palette().color(QPalette::Window), QColor(1, 2, 3));
        QCursor::setPos(parent.mapToGlobal(parent.rect().center()));
        QTRY_VERIFY(tip.isShowing());
    }

    void staysOnScreenNearItsLowerEdge() {
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
        QTRY_VERIFY(tip.isShowing());
        QVERIFY(screen.contains(tip.tipWindow()->frameGeometry()));
    }

    void waitsWhileAMenuIsOpenOrThePointerHasLeft() {
        QWidget parent;
        parent.resize(200, 100);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        CTooltip tip;
        tip.setDelayTime(0);
        tip.setTipText("Body");
        QMenu menu;
        menu.addAction("LOCK");
        QCursor::setPos(parent.mapToGlobal(QPoint(20, 20)));
        menu.popup(parent.mapToGlobal(QPoint(50, 50)));
        QVERIFY(tip.Create(&parent));
        QTest::qWait(30);
        QVERIFY(!tip.isShowing());
        menu.close();
        QCursor::setPos(parent.mapToGlobal(QPoint(500, 500)));
        QVERIFY(tip.Create(&parent));
        QTest::qWait(30);
        QVERIFY(!tip.isShowing());
    }
};

QTEST_MAIN(CTooltipTest)
#include "ctooltip_test.moc"
