#include "app/bouquet_models.h"
#include "app/bouquet_panel.h"
#include "app/main_window.h"
#include "app/options/color_swatch.h"
#include "app/options/options_tab.h"
#include "app/organize_list_tab.h"
#include "app/profile_picker.h"
#include "app/service_model.h"
#include "app/status_panels.h"
#include "link/profiles.h"
#include "real_input.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;

namespace {

std::string fileText(const std::filesystem::path& path) {
    const Bytes bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

// Clicks into a box, selects what it holds and types over it.
void typeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QApplication::processEvents();
}

} // namespace

class OptionsTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> data_;
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;

    OptionsTab& options() { return *window_->optionsTab(); }
    ProfilePicker& picker() { return *window_->organizeListTab()->profilePicker(); }
    QString status(int panel) { return window_->statusPanels()->panelText(panel); }
    std::filesystem::path profilesFile() const { return data_->path() / "Profiles.ini"; }
    QStringList listed() {
        QStringList names;
        for (int i = 0; i < options().profileList()->count(); ++i) {
            names << options().profileList()->item(i)->text();
        }
        return names;
    }
    QStringList dropDownNames() {
        QStringList names;
        for (int i = 0; i < picker().dropDown()->count(); ++i) {
            names << picker().dropDown()->itemText(i);
        }
        return names;
    }

    void startWindow() {
        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->tabs()->setCurrentIndex(2);
        QApplication::processEvents();
    }

    // The name, address and FTP port typed, the rest as the selected profile has them.
    void typeProfile(const QString& name, const QString& address, const QString& ftpPort) {
        typeInto(options().nameBox(), name);
        typeInto(options().addressBox(), address);
        typeInto(options().ftpPortBox(), ftpPort);
    }

private slots:
    void init() {
        data_ = std::make_unique<test::TempDir>();
        folder_ = std::make_unique<test::TempDir>();
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
        startWindow();
    }

    void cleanup() { window_.reset(); }

    void theTabShowsTheDefaultProfileUnderItsCaptions() {
        QCOMPARE(window_->tabs()->widget(2), static_cast<QWidget*>(&options()));
        QStringList captions;
        for (QLineEdit* box : {options().nameBox(), options().addressBox(), options().userBox(),
                               options().passwordBox(), options().ftpPortBox(),
                               options().telnetPortBox(), options().promptBox()}) {
            captions << options().captionOf(box);
        }
        QCOMPARE(captions, QStringList({"Profile Name :", "IP Address of Orvix :",
                                        "User on Orvix :", "Pass on Orvix :", "FTP Port :",
                                        "Telnet Port :", "Command promt :"}));
        QStringList labels;
        for (const QLabel* label : options().findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY(labels.contains("Profiles :"));
        QCOMPARE(options().passiveBox()->text(), QString("Passive"));
        QStringList buttons;
        for (QPushButton* b :
             {options().colorButton(), options().addButton(), options().updateButton(),
              options().removeButton(), options().testConnectionButton(),
              options().testLoginButton(), options().restartButton()}) {
            buttons << b->text();
        }
        QCOMPARE(buttons,
                 QStringList({"Set Fore Color", "Add Profile", "Update Profile", "Remove Profile",
                              "Test IP Connection", "Test Username / Pass.", "Restart"}));

        // Start-up created the file with the default profile and selected it.
        QVERIFY(fileText(profilesFile()).starts_with("TEST Connection\r\n192.168.1.36\r\n"));
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
        QCOMPARE(options().profileList()->currentRow(), 0);
        QCOMPARE(options().addressBox()->text(), QString("192.168.1.36"));
        QCOMPARE(options().ftpPortBox()->text(), QString("21"));
        QCOMPARE(options().telnetPortBox()->text(), QString("23"));
        QCOMPARE(options().promptBox()->text(), QString("[~]$"));
        QVERIFY(!options().passiveBox()->isChecked());
        QCOMPARE(options().passwordBox()->echoMode(), QLineEdit::Password);
        QCOMPARE(options().swatch()->color(), QColor(10, 36, 106)); // the active caption
        QVERIFY(options().transcriptPane()->isReadOnly());
        QCOMPARE(options().transcriptPane()->palette().color(QPalette::Text), QColor(0, 255, 0));
        QVERIFY(options().backupBox()->isChecked());

        QCOMPARE(status(1), QString("Profile : TEST Connection"));
        QCOMPARE(status(2),
                 QString("IP Address : 192.168.1.36 / FTP Port : 21 / Telnet Port : 23"));
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection"}));
        QCOMPARE(picker().activeBox()->text(), QString("TEST Connection"));
        QVERIFY(picker().activeBox()->isReadOnly());
    }

    void profilesAreAddedUpdatedAndRemovedByClicking() {
        typeProfile("Living room", "10.0.0.7", " 2121x");
        // On its box, where a person clicks: the widget is wider than box and caption.
        QTest::mouseClick(options().passiveBox(), Qt::LeftButton, {},
                          QPoint(6, options().passiveBox()->height() / 2));
        QVERIFY(options().passiveBox()->isChecked());
        click(options().addButton());
        QCOMPARE(listed(), QStringList({"TEST Connection", "Living room"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(options().profileList()->currentRow(), 1);
        QCOMPARE(options().ftpPortBox()->text(), QString("2121")); // shown back as digits
        QCOMPARE(status(1), QString("Profile : Living room"));
        QCOMPARE(status(2), QString("IP Address : 10.0.0.7 / FTP Port : 2121 / Telnet Port : 23"));
        QVERIFY(fileText(profilesFile())
                    .ends_with("Living room\r\n10.0.0.7\r\nroot\r\nkelvo\r\n 2121 \r\n 23 \r\n"
                               " 1 \r\n[~]$\r\n\r\n")); // no colour yet

        test::clickRow(*options().profileList(), 0);
        QCOMPARE(options().nameBox()->text(), QString("TEST Connection"));
        QCOMPARE(picker().activeBox()->text(), QString("TEST Connection"));
        typeProfile("Bedroom", "10.0.0.8", "21");
        click(options().updateButton());
        QCOMPARE(listed(), QStringList({"Bedroom", "Living room"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(picker().activeBox()->text(), QString("Bedroom"));
        QVERIFY(fileText(profilesFile()).starts_with("Bedroom\r\n10.0.0.8\r\n"));
        QVERIFY2(fileText(profilesFile()).find("-2147483646 \r\n") != std::string::npos,
                 "Update keeps the colour");

        typeProfile("Spare", "10.0.0.9", "21");
        click(options().addButton());
        test::clickRow(*options().profileList(), 1);
        click(options().removeButton());
        QCOMPARE(listed(), QStringList({"Bedroom", "Spare"}));
        QCOMPARE(options().profileList()->currentRow(), 1); // the third, now second
        QCOMPARE(options().nameBox()->text(), QString("Spare"));
        click(options().removeButton());
        click(options().removeButton()); // the last one stays
        QCOMPARE(listed(), QStringList({"Bedroom"}));
        QCOMPARE(loadProfiles(data_->path()).profiles.size(), std::size_t{1});
        QVERIFY(dialogs_->told.empty());
    }

    void refusedProfilesAreToldAndChangeNothing() {
        typeInto(options().promptBox(), "");
        QTest::keyClick(options().promptBox(), Qt::Key_Backspace);
        const std::string before = fileText(profilesFile());
        click(options().addButton());
        click(options().updateButton());
        QCOMPARE(dialogs_->told.size(), std::size_t{2});
        QCOMPARE(dialogs_->told[0].text, std::string("Command promt must not be empty !!!"));
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
        QCOMPARE(fileText(profilesFile()), before);
    }

    void theDropDownOnTabOneSelectsTheProfile() {
        typeProfile("Second", "10.0.0.2", "2100");
        click(options().addButton());
        test::clickRow(*options().profileList(), 0);
        window_->tabs()->setCurrentIndex(0);
        QApplication::processEvents();
        // Clicking the name box opens the drop-down.
        click(picker().activeBox());
        QTRY_VERIFY(picker().dropDown()->view()->isVisible());
        QTest::keyClick(picker().dropDown()->view(), Qt::Key_Down);
        QTest::keyClick(picker().dropDown()->view(), Qt::Key_Return);
        QTRY_VERIFY(!picker().dropDown()->view()->isVisible());
        QCOMPARE(picker().activeBox()->text(), QString("Second"));
        QCOMPARE(options().profileList()->currentRow(), 1);
        QCOMPARE(options().ftpPortBox()->text(), QString("2100"));
        QCOMPARE(status(2), QString("IP Address : 10.0.0.2 / FTP Port : 2100 / Telnet Port : 23"));
    }

    void theColourGoesToTheThreeListsAndTheSwatchOnlyTriesIt() {
        test::writeSample(folder_->path(), {.services = 40, .satellites = 2, .bouquets = 2});
        QVERIFY(window_->openFolder(folder_->path()));
        auto colorOf = [&](const QAbstractItemModel* model) {
            return model->index(0, 0).data(Qt::ForegroundRole).value<QColor>();
        };
        auto listColors = [&] {
            BouquetPanel* bouquets = window_->organizeListTab()->bouquets();
            return QList<QColor>{colorOf(window_->organizeListTab()->serviceModel()),
                                 colorOf(bouquets->contentsModel()),
                                 colorOf(bouquets->listModel())};
        };
        const QColor caption(10, 36, 106);
        QCOMPARE(listColors(), QList<QColor>(3, caption));

        dialogs_->nextColor = QColor(200, 0, 0);
        click(options().colorButton());
        QVERIFY(dialogs_->colorDialogStartedWith == std::vector<QColor>{caption});
        QCOMPARE(listColors(), QList<QColor>(3, QColor(200, 0, 0)));
        QCOMPARE(options().swatch()->color(), QColor(200, 0, 0));
        QVERIFY(fileText(profilesFile()).ends_with("[~]$\r\n 200 \r\n"));

        dialogs_->nextColor = QColor(0, 0, 255);
        QTest::mouseClick(options().swatch(), Qt::LeftButton);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
        QVERIFY2(fileText(profilesFile()).ends_with("[~]$\r\n 200 \r\n"), "only tried");

        // A profile without a colour shows black.
        typeProfile("Plain", "10.0.0.3", "21");
        click(options().addButton());
        QCOMPARE(listColors(), QList<QColor>(3, QColor(Qt::black)));
        test::clickRow(*options().profileList(), 0);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(200, 0, 0)));
    }

    void aFileCutShortIsToldAndItsCompleteProfilesKept() {
        window_.reset();
        std::string text = formatProfiles({defaultProfile()});
        test::writeFile(profilesFile(), Bytes(text.begin(), text.end()));
        text += "Cut\r\n10.0.0.1\r\n";
        test::writeFile(profilesFile(), Bytes(text.begin(), text.end()));
        startWindow();
        QTRY_COMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].text,
                 std::string(
                     "Profiles.ini ends inside profile 2: the 1 complete profiles were kept !!!"));
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
    }
};

QTEST_MAIN(OptionsTabTest)
#include "options_tab_test.moc"
