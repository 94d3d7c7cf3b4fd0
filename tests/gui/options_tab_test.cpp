#include "app/main_window.h"
#include "app/options/color_swatch.h"
#include "app/options/options_tab.h"
#include "app/organize_list/bouquet_models.h"
#include "app/organize_list/bouquet_panel.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/profile_picker.h"
#include "app/organize_list/service_model.h"
#include "app/organize_list/status_panels.h"
#include "app/receiver_link.h"
#include "link/profile_store.h"
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
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// A profile added by tavrino-cli or another window meanwhile.
void addElsewhere(const std::filesystem::path& data, const std::string& name) {
    ConnectionProfile p = defaultProfile();
    p.profileName = name;
    p.password = "secret of " + name;
    QVERIFY(!changeProfiles(data, {ProfileChange::Kind::Add, {}, -1, p, 0}).refusal);
}

// A loopback port nobody listens on: a connection there is refused at once.
quint16 closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::vector<std::string> namesOnDisk(const std::filesystem::path& data) {
    std::vector<std::string> names;
    for (const auto& p : loadProfiles(data).profiles) {
        names.push_back(p.profileName);
    }
    return names;
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
        window_ = std::make_unique<MainWindow>(*dialogs_, dataFolder());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->tabs()->setCurrentIndex(2);
        QApplication::processEvents();
    }

    // The name, address and FTP port typed, the rest as the selected profile has them.
    void typeProfile(const QString& name, const QString& address, const QString& ftpPort) {
        typeProfileInto(options(), name, address, ftpPort);
    }
    static void typeProfileInto(OptionsTab& tab, const QString& name, const QString& address,
                                const QString& ftpPort) {
        typeInto(tab.nameBox(), name);
        typeInto(tab.addressBox(), address);
        typeInto(tab.ftpPortBox(), ftpPort);
    }
    QString dataFolder() const { return QString::fromStdString(data_->path().string()); }

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

    void theColourGoesToTheThreeListsAndIsStoredFromButtonAndSwatch() {
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

        // The swatch stores its colour as the button does.
        dialogs_->nextColor = QColor(0, 0, 255);
        QTest::mouseClick(options().swatch(), Qt::LeftButton);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
        QVERIFY(fileText(profilesFile()).ends_with("[~]$\r\n 16711680 \r\n"));
        window_.reset();
        startWindow();
        QCOMPARE(options().swatch()->color(), QColor(0, 0, 255));
        QVERIFY(window_->openFolder(folder_->path()));

        // A profile without a colour shows black.
        typeProfile("Plain", "10.0.0.3", "21");
        click(options().addButton());
        QCOMPARE(listColors(), QList<QColor>(3, QColor(Qt::black)));
        test::clickRow(*options().profileList(), 0);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
    }

    void aFileCutShortIsToldKeptAndNeverRewritten() {
        window_.reset();
        std::string text = formatProfiles({defaultProfile()});
        text += "Cut\r\n10.0.0.1\r\n";
        test::writeFile(profilesFile(), Bytes(text.begin(), text.end()));
        startWindow();
        QTRY_COMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(
            dialogs_->told[0].text,
            profilesFile().string() +
                ": it ends inside profile 2 (lines 10 to 11). Only its first profile was read; "
                "the file is left as it is and not rewritten until it is mended !!!");
        QCOMPARE(listed(), QStringList({"TEST Connection"}));

        typeProfile("Another", "10.0.0.2", "21");
        click(options().addButton());
        click(options().updateButton());
        dialogs_->nextColor = QColor(1, 2, 3);
        click(options().colorButton());
        QCOMPARE(dialogs_->told.size(), std::size_t{4});
        QVERIFY(dialogs_->told[1].text.find("is not rewritten") != std::string::npos);
        window_.reset();
        QCOMPARE(fileText(profilesFile()), text);
    }

    // Every change is merged into Profiles.ini as it is on disk; closing writes nothing.
    void profilesAddedElsewhereSurviveEveryWindow() {
        addElsewhere(data_->path(), "From the command line");
        typeProfile("From the window", "10.0.0.7", "21");
        click(options().addButton());
        QCOMPARE(listed(),
                 QStringList({"TEST Connection", "From the command line", "From the window"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(options().profileList()->currentRow(), 2);
        QCOMPARE(status(1), QString("Profile : From the window"));

        auto second = std::make_unique<MainWindow>(*dialogs_, dataFolder());
        second->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        typeProfileInto(*second->optionsTab(), "From a second window", "10.0.0.8", "21");
        click(second->optionsTab()->addButton());
        addElsewhere(data_->path(), "Late");
        test::clickRow(*options().profileList(), 0);
        typeInto(options().addressBox(), "10.0.0.36");
        click(options().updateButton());
        QCOMPARE(listed(), QStringList({"TEST Connection", "From the command line",
                                        "From the window", "From a second window", "Late"}));

        second->close();
        window_->close(); // the one closed last wins nothing
        const std::vector<std::string> all = {"TEST Connection", "From the command line",
                                              "From the window", "From a second window", "Late"};
        QVERIFY(namesOnDisk(data_->path()) == all);
        QCOMPARE(loadProfiles(data_->path()).profiles.at(4).password,
                 std::string("secret of Late"));
        QCOMPARE(loadProfiles(data_->path()).profiles.at(0).address, std::string("10.0.0.36"));
        QVERIFY(dialogs_->told.empty());
        second.reset();
        window_.reset();
        startWindow();
        QCOMPARE(listed().size(), 5);
    }

    void aProfileAddedElsewhereShowsWhenTheWindowIsActiveAgain() {
        typeInto(options().addressBox(), "10.0.0.99"); // typed, not stored
        addElsewhere(data_->path(), "From the command line");
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(listed(), QStringList({"TEST Connection", "From the command line"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(options().profileList()->currentRow(), 0);
        QCOMPARE(options().addressBox()->text(), QString("10.0.0.99"));
    }

    void theActiveProfileIsRememberedAcrossRestarts() {
        typeProfile("Second", "10.0.0.2", "2100");
        click(options().addButton());
        typeProfile("Third", "10.0.0.3", "21");
        click(options().addButton());
        test::clickRow(*options().profileList(), 1);
        window_.reset();
        startWindow();
        QCOMPARE(options().profileList()->currentRow(), 1);
        QCOMPARE(picker().activeBox()->text(), QString("Second"));
        QCOMPARE(status(2), QString("IP Address : 10.0.0.2 / FTP Port : 2100 / Telnet Port : 23"));
        test::clickRow(*options().profileList(), 2);
        window_.reset();
        // Removed elsewhere, "Second" moves "Third" up a row: the name is what counts.
        QVERIFY(!changeProfiles(data_->path(), {ProfileChange::Kind::Remove, "Second", 1, {}, 0})
                     .refusal);
        startWindow();
        QCOMPARE(picker().activeBox()->text(), QString("Third"));
        QCOMPARE(options().profileList()->currentRow(), 1);
    }

    void updateChecksTheNameAsAddDoes() {
        typeProfile("Second", "10.0.0.2", "21");
        click(options().addButton());
        const std::string before = fileText(profilesFile());
        for (const QString& name : {QString(" TEST Connection  "), QString("   ")}) {
            typeInto(options().nameBox(), name);
            click(options().updateButton());
            click(options().addButton());
        }
        QCOMPARE(dialogs_->told.size(), std::size_t{4});
        QCOMPARE(
            dialogs_->told[0].text,
            std::string("Profile Name: a profile named 'TEST Connection' is already there !!!"));
        QCOMPARE(dialogs_->told[3].text, std::string("Profile Name: a profile needs a name !!!"));
        QCOMPARE(fileText(profilesFile()), before);
        QCOMPARE(listed(), QStringList({"TEST Connection", "Second"}));

        typeInto(options().nameBox(), "  Renamed ");
        click(options().updateButton());
        QCOMPARE(listed(), QStringList({"TEST Connection", "Renamed"}));
        QCOMPARE(options().nameBox()->text(), QString("Renamed"));
    }

    void aProfileIsAddedByKeyboardAlone() {
        auto press = [&](Qt::Key key) { QTest::keyClick(window_->focusWidget(), key); };
        options().profileList()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(options().nameBox()));
        QTest::keyClick(options().nameBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(options().nameBox(), "Keyboard");
        for (int i = 0; i < 9; ++i) { // the other six boxes, Passive, Set Fore Color
            press(Qt::Key_Tab);
        }
        QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(options().addButton()));
        press(Qt::Key_Space);
        QCOMPARE(listed(), QStringList({"TEST Connection", "Keyboard"}));
    }

    // A port outside 1-65535 would wrap (99999 reaches port 34463).
    void portsOutsideTheRangeAreRefusedBeforeAnythingStarts() {
        QSignalSpy started(&window_->receiverLink(), &ReceiverLink::busyChanged);
        const std::string before = fileText(profilesFile());
        struct Case {
            QLineEdit* box;
            QString typed;
            std::string told;
        };
        for (const Case& c : {
                 Case{options().telnetPortBox(), "99999",
                      "Telnet Port: 99999 is not a port number (1 to 65535) !!!"},
                 Case{options().ftpPortBox(), "65536",
                      "FTP Port: 65536 is not a port number (1 to 65535) !!!"},
                 Case{options().ftpPortBox(), "none",
                      "FTP Port: 0 is not a port number (1 to 65535) !!!"},
             }) {
            test::clickRow(*options().profileList(), 0); // the stored values again
            typeInto(options().nameBox(), "New");
            typeInto(c.box, c.typed);
            dialogs_->told.clear();
            for (QPushButton* b :
                 {options().addButton(), options().updateButton(), options().testConnectionButton(),
                  options().testLoginButton(), options().restartButton()}) {
                click(b);
            }
            window_->receiveAction()->trigger();
            QCOMPARE(dialogs_->told.size(), std::size_t{6});
            for (const Notice& notice : dialogs_->told) {
                QCOMPARE(notice.text, c.told);
            }
        }
        QCOMPARE(started.count(), 0);
        QCOMPARE(fileText(profilesFile()), before);
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
    }

    // Restart turns the test buttons off while it runs; the focus must not fall onto the
    // back-up check box, where the next Space would untick it.
    void afterRestartTheFocusIsBackOnTheButton() {
        typeInto(options().addressBox(), "127.0.0.1");
        typeInto(options().telnetPortBox(), QString::number(closedPort()));
        options().restartButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(options().restartButton(), Qt::Key_Space);
        QVERIFY(window_->receiverLink().busy());
        QVERIFY(window_->focusWidget() != options().backupBox());
        QTRY_VERIFY(!window_->receiverLink().busy());
        QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(options().restartButton()));
        QTest::keyClick(window_->focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!window_->receiverLink().busy());
        QVERIFY(options().backupBox()->isChecked());
    }
};

QTEST_MAIN(OptionsTabTest)
#include "options_tab_test.moc"
