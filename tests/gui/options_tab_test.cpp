#include "app/options/color_swatch.h"
#include "app/organize_list/profile_picker.h"
#include "app/receiver_link.h"
#include "link/profile_store.h"
#include "link/profiles.h"
#include "window_fixture.h"

#include <QSignalSpy>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tavrino;
using namespace tavrino::app;

namespace {

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

// The Options tab's controls, found by name as a person finds them by their captions.
struct OptionsControls {
    QWidget* tab;

    template <class T = QLineEdit> T* named(const char* name) const {
        return tab->findChild<T*>(name);
    }
    QPushButton* button(const char* name) const { return named<QPushButton>(name); }
    QListWidget* profileList() const { return named<QListWidget>("profileList"); }
    QLineEdit* nameBox() const { return named("profileNameBox"); }
    QLineEdit* addressBox() const { return named("addressBox"); }
    QLineEdit* ftpPortBox() const { return named("ftpPortBox"); }
    QLineEdit* telnetPortBox() const { return named("telnetPortBox"); }
    QCheckBox* backupBox() const { return named<QCheckBox>("backupBox"); }
    ColorSwatch* swatch() const { return named<ColorSwatch>("colorSwatch"); }
    QPushButton* addButton() const { return button("addProfileButton"); }
    QPushButton* updateButton() const { return button("updateProfileButton"); }
    QPushButton* removeButton() const { return button("removeProfileButton"); }
    QPushButton* restartButton() const { return button("restartButton"); }
};

OptionsControls controlsOf(MainWindow& window) {
    return {window.findChild<QWidget*>("optionsTab")};
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
    test::WindowFixture f_;

    OptionsControls options() { return controlsOf(f_.window()); }
    ProfilePicker& picker() { return f_.find<ProfilePicker>("profilePicker"); }
    ReceiverLink& link() { return f_.window().receiverLink(); }
    QString status(int panel) { return f_.status().panelText(panel); }
    std::filesystem::path profilesFile() const { return f_.data() / "Profiles.ini"; }
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

    void startWindow() { f_.makeWindow({.sample = std::nullopt, .tab = 2}); }

    // The name, address and FTP port typed, the rest as the selected profile has them.
    void typeProfile(const QString& name, const QString& address, const QString& ftpPort) {
        typeProfileInto(options(), name, address, ftpPort);
    }
    static void typeProfileInto(const OptionsControls& tab, const QString& name,
                                const QString& address, const QString& ftpPort) {
        test::typeInto(tab.nameBox(), name);
        test::typeInto(tab.addressBox(), address);
        test::typeInto(tab.ftpPortBox(), ftpPort);
    }
    void addProfile(const QString& name, const QString& address, const QString& ftpPort) {
        typeProfile(name, address, ftpPort);
        click(options().addButton());
    }
    QString dataFolder() const { return QString::fromStdString(f_.data().string()); }

private slots:
    void init() {
        f_.prepare({.sample = std::nullopt});
        startWindow();
    }

    void cleanup() { f_.closeWindow(); }

    // Start-up creates the file with the default profile, selects it and shows it everywhere.
    void theTabShowsTheDefaultProfile() {
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
        QCOMPARE(options().profileList()->currentRow(), 0);
        QCOMPARE(options().named("passwordBox")->echoMode(), QLineEdit::Password);
        QVERIFY(options().backupBox()->isChecked());
        QCOMPARE(status(2),
                 QString("IP Address : 192.168.1.36 / FTP Port : 21 / Telnet Port : 23"));
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection"}));
        QVERIFY(picker().activeBox()->isReadOnly());
    }

    void profilesAreAddedUpdatedAndRemovedByClicking() {
        typeProfile("Living room", "10.0.0.7", " 2121x");
        // On its box, where a person clicks: the widget is wider than box and caption.
        QCheckBox* passive = options().named<QCheckBox>("passiveBox");
        QTest::mouseClick(passive, Qt::LeftButton, {}, QPoint(6, passive->height() / 2));
        QVERIFY(passive->isChecked());
        click(options().addButton());
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection", "Living room"}));
        QCOMPARE(options().profileList()->currentRow(), 1);
        QCOMPARE(options().ftpPortBox()->text(), QString("2121")); // shown back as digits
        QCOMPARE(status(2), QString("IP Address : 10.0.0.7 / FTP Port : 2121 / Telnet Port : 23"));

        test::clickRow(*options().profileList(), 0);
        QCOMPARE(picker().activeBox()->text(), QString("TEST Connection"));
        typeProfile("Bedroom", "10.0.0.8", "21");
        click(options().updateButton());
        QCOMPARE(dropDownNames(), QStringList({"Bedroom", "Living room"}));
        QCOMPARE(picker().activeBox()->text(), QString("Bedroom"));
        QCOMPARE(loadProfiles(f_.data()).profiles.at(0).address, std::string("10.0.0.8"));

        test::clickRow(*options().profileList(), 1);
        click(options().removeButton());
        QCOMPARE(listed(), QStringList({"Bedroom"}));
        QCOMPARE(options().nameBox()->text(), QString("Bedroom"));
        click(options().removeButton()); // the last one stays
        QCOMPARE(loadProfiles(f_.data()).profiles.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told.empty());
    }

    void theDropDownOnTabOneSelectsTheProfile() {
        addProfile("Second", "10.0.0.2", "2100");
        test::clickRow(*options().profileList(), 0);
        f_.tabs().setCurrentIndex(0);
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
        test::writeSample(f_.folder(), {.services = 40, .satellites = 2, .bouquets = 2});
        QVERIFY(f_.window().openFolder(f_.folder()));
        auto colorOf = [&](const QAbstractItemModel* model) {
            return model->index(0, 0).data(Qt::ForegroundRole).value<QColor>();
        };
        auto listColors = [&] {
            return QList<QColor>{colorOf(&f_.serviceModel()), colorOf(&f_.contentsModel()),
                                 colorOf(&f_.bouquetListModel())};
        };
        const QColor caption(10, 36, 106);
        QCOMPARE(listColors(), QList<QColor>(3, caption));

        f_.dialogs().nextColor = QColor(200, 0, 0);
        click(options().button("setForeColorButton"));
        QVERIFY(f_.dialogs().colorDialogStartedWith == std::vector<QColor>{caption});
        QCOMPARE(listColors(), QList<QColor>(3, QColor(200, 0, 0)));
        QCOMPARE(options().swatch()->color(), QColor(200, 0, 0));
        QVERIFY(test::readText(profilesFile()).ends_with("[~]$\r\n 200 \r\n"));

        // The swatch stores its colour as the button does.
        f_.dialogs().nextColor = QColor(0, 0, 255);
        QTest::mouseClick(options().swatch(), Qt::LeftButton);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
        QVERIFY(test::readText(profilesFile()).ends_with("[~]$\r\n 16711680 \r\n"));
        f_.closeWindow();
        startWindow();
        QCOMPARE(options().swatch()->color(), QColor(0, 0, 255));
        QVERIFY(f_.window().openFolder(f_.folder()));

        // A profile without a colour shows black.
        addProfile("Plain", "10.0.0.3", "21");
        QCOMPARE(listColors(), QList<QColor>(3, QColor(Qt::black)));
        test::clickRow(*options().profileList(), 0);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
    }

    void aFileCutShortIsToldKeptAndNeverRewritten() {
        f_.closeWindow();
        std::string text = formatProfiles({defaultProfile()});
        text += "Cut\r\n10.0.0.1\r\n";
        test::writeFile(profilesFile(), Bytes(text.begin(), text.end()));
        startWindow();
        QTRY_COMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told[0].text.starts_with(profilesFile().string() +
                                                      ": it ends inside profile 2"));
        QCOMPARE(listed(), QStringList({"TEST Connection"}));

        addProfile("Another", "10.0.0.2", "21");
        click(options().updateButton());
        f_.dialogs().nextColor = QColor(1, 2, 3);
        click(options().button("setForeColorButton"));
        QCOMPARE(f_.dialogs().told.size(), std::size_t{4});
        QVERIFY(f_.dialogs().told[1].text.find("is not rewritten") != std::string::npos);
        f_.closeWindow();
        QCOMPARE(test::readText(profilesFile()), text);
    }

    // Every change is merged into Profiles.ini as it is on disk; closing writes nothing.
    void profilesAddedElsewhereSurviveEveryWindow() {
        addElsewhere(f_.data(), "From the command line");
        addProfile("From the window", "10.0.0.7", "21");
        QCOMPARE(listed(),
                 QStringList({"TEST Connection", "From the command line", "From the window"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(options().profileList()->currentRow(), 2);
        QCOMPARE(status(1), QString("Profile : From the window"));

        auto second = std::make_unique<MainWindow>(f_.dialogs(), dataFolder());
        second->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        typeProfileInto(controlsOf(*second), "From a second window", "10.0.0.8", "21");
        click(controlsOf(*second).addButton());
        addElsewhere(f_.data(), "Late");
        test::clickRow(*options().profileList(), 0);
        test::typeInto(options().addressBox(), "10.0.0.36");
        click(options().updateButton());
        QCOMPARE(listed(), QStringList({"TEST Connection", "From the command line",
                                        "From the window", "From a second window", "Late"}));

        second->close();
        f_.window().close(); // the one closed last wins nothing
        const std::vector<std::string> all = {"TEST Connection", "From the command line",
                                              "From the window", "From a second window", "Late"};
        QVERIFY(namesOnDisk(f_.data()) == all);
        QCOMPARE(loadProfiles(f_.data()).profiles.at(4).password, std::string("secret of Late"));
        QCOMPARE(loadProfiles(f_.data()).profiles.at(0).address, std::string("10.0.0.36"));
        QVERIFY(f_.dialogs().told.empty());
        second.reset();
        f_.closeWindow();
        startWindow();
        QCOMPARE(listed().size(), 5);
    }

    void aProfileAddedElsewhereShowsWhenTheWindowIsActiveAgain() {
        test::typeInto(options().addressBox(), "10.0.0.99"); // typed, not stored
        addElsewhere(f_.data(), "From the command line");
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(listed(), QStringList({"TEST Connection", "From the command line"}));
        QCOMPARE(dropDownNames(), listed());
        QCOMPARE(options().profileList()->currentRow(), 0);
        QCOMPARE(options().addressBox()->text(), QString("10.0.0.99"));
    }

    void theActiveProfileIsRememberedAcrossRestarts() {
        addProfile("Second", "10.0.0.2", "2100");
        addProfile("Third", "10.0.0.3", "21");
        test::clickRow(*options().profileList(), 1);
        f_.closeWindow();
        startWindow();
        QCOMPARE(options().profileList()->currentRow(), 1);
        QCOMPARE(picker().activeBox()->text(), QString("Second"));
        QCOMPARE(status(2), QString("IP Address : 10.0.0.2 / FTP Port : 2100 / Telnet Port : 23"));
        test::clickRow(*options().profileList(), 2);
        f_.closeWindow();
        // Removed elsewhere, "Second" moves "Third" up a row: the name is what counts.
        QVERIFY(
            !changeProfiles(f_.data(), {ProfileChange::Kind::Remove, "Second", 1, {}, 0}).refusal);
        startWindow();
        QCOMPARE(picker().activeBox()->text(), QString("Third"));
        QCOMPARE(options().profileList()->currentRow(), 1);
    }

    // Add and Update refuse alike, and change nothing (the table's rules are the profile tests').
    void refusedProfilesAreToldAndChangeNothing() {
        addProfile("Second", "10.0.0.2", "21");
        const std::string before = test::readText(profilesFile());
        struct Case {
            const char* box;
            QString typed;
            std::string told;
        };
        for (const Case& c : {
                 Case{"profileNameBox", " TEST Connection  ",
                      "Profile Name: a profile named 'TEST Connection' is already there !!!"},
                 Case{"promptBox", "", "Command promt must not be empty !!!"},
             }) {
            test::clickRow(*options().profileList(), 0); // the stored values of "Second" again
            test::clickRow(*options().profileList(), 1);
            test::typeInto(options().named(c.box), c.typed);
            f_.dialogs().told.clear();
            click(options().updateButton());
            click(options().addButton());
            QCOMPARE(f_.dialogs().told.size(), std::size_t{2});
            QCOMPARE(f_.dialogs().told[0].text, c.told);
            QCOMPARE(f_.dialogs().told[1].text, c.told);
        }
        QCOMPARE(test::readText(profilesFile()), before);
        QCOMPARE(listed(), QStringList({"TEST Connection", "Second"}));
    }

    void aProfileIsAddedByKeyboardAlone() {
        auto press = [&](Qt::Key key) { QTest::keyClick(f_.window().focusWidget(), key); };
        options().profileList()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(f_.window().focusWidget(), static_cast<QWidget*>(options().nameBox()));
        QTest::keyClick(options().nameBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(options().nameBox(), "Keyboard");
        for (int i = 0; i < 9; ++i) { // the other six boxes, Passive, Set Fore Color
            press(Qt::Key_Tab);
        }
        QCOMPARE(f_.window().focusWidget(), static_cast<QWidget*>(options().addButton()));
        press(Qt::Key_Space);
        QCOMPARE(listed(), QStringList({"TEST Connection", "Keyboard"}));
    }

    // A port outside 1-65535 would wrap (99999 reaches port 34463).
    void portsOutsideTheRangeAreRefusedBeforeAnythingStarts() {
        QSignalSpy started(&link(), &ReceiverLink::busyChanged);
        const std::string before = test::readText(profilesFile());
        struct Case {
            QLineEdit* box;
            QString typed;
            std::string told;
        };
        for (const Case& c : {
                 Case{options().telnetPortBox(), "99999",
                      "Telnet Port: 99999 is not a port number (1 to 65535) !!!"},
                 Case{options().ftpPortBox(), "none",
                      "FTP Port: 0 is not a port number (1 to 65535) !!!"},
             }) {
            test::clickRow(*options().profileList(), 0); // the stored values again
            test::typeInto(options().nameBox(), "New");
            test::typeInto(c.box, c.typed);
            f_.dialogs().told.clear();
            for (QPushButton* b :
                 {options().addButton(), options().updateButton(),
                  options().button("testConnectionButton"), options().button("testLoginButton"),
                  options().restartButton()}) {
                click(b);
            }
            f_.action("receiveAction").trigger();
            QCOMPARE(f_.dialogs().told.size(), std::size_t{6});
            for (const Notice& notice : f_.dialogs().told) {
                QCOMPARE(notice.text, c.told);
            }
        }
        QCOMPARE(started.count(), 0);
        QCOMPARE(test::readText(profilesFile()), before);
        QCOMPARE(listed(), QStringList({"TEST Connection"}));
    }

    // Both send check boxes are on at first, keep a click across runs, and a settings file
    // without their keys (an older one) leaves them on.
    void theSendCheckBoxesAreKeptBetweenRuns() {
        const char* const boxes[] = {"backupBox", "previewBox"};
        for (const char* name : boxes) {
            QCheckBox* box = options().named<QCheckBox>(name);
            QVERIFY2(box->isChecked(), name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            QVERIFY2(!box->isChecked(), name);
        }
        QCOMPARE(options().named<QCheckBox>("previewBox")->text(),
                 QString("Show what will change before sending"));
        f_.closeWindow();
        startWindow();
        for (const char* name : boxes) {
            QVERIFY2(!options().named<QCheckBox>(name)->isChecked(), name);
        }
        f_.closeWindow();
        test::writeText(f_.data() / "Tavrino.ini", "[General]\nOther=1\n");
        startWindow();
        for (const char* name : boxes) {
            QVERIFY2(options().named<QCheckBox>(name)->isChecked(), name);
        }
    }

    // Restart turns the test buttons off while it runs; the focus must not fall onto the
    // back-up check box, where the next Space would untick it.
    void afterRestartTheFocusIsBackOnTheButton() {
        test::typeInto(options().addressBox(), "127.0.0.1");
        test::typeInto(options().telnetPortBox(), QString::number(closedPort()));
        options().restartButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(options().restartButton(), Qt::Key_Space);
        QVERIFY(link().busy());
        QVERIFY(f_.window().focusWidget() != options().backupBox());
        QTRY_VERIFY(!link().busy());
        QCOMPARE(f_.window().focusWidget(), static_cast<QWidget*>(options().restartButton()));
        QTest::keyClick(f_.window().focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!link().busy());
        QVERIFY(options().backupBox()->isChecked());
    }
};

QTEST_MAIN(OptionsTabTest)
#include "options_tab_test.moc"
