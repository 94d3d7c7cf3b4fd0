#include "widgets/ctooltip.h"

#include <QLabel>
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
        QTRY_VERIFY(tip.isShowing());
    }
};

QTEST_MAIN(CTooltipTest)
#include "ctooltip_test.moc"
