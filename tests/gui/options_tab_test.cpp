#include "app/options/color_swatch.h"
#include "app/organize_list/profile_picker.h"
#include "app/receiver_link.h"
#include "link/profile_store.h"
#include "link/profiles.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::click;

namespace {

// A profile added by tavrino-cli or another window meanwhile.
void addElsewhere(const std::filesystem::path& data, const std::string& name) {
    ConnectionProfile p = defaultProfile();
    p.profileName = name;
    p.password = "secret of " + name;
    QVERIFY(!changeProfiles(data, {ProfileChange::Kind::Add, {}, -1, p, 0}).refusal);
}

// A control of the Options tab of `window`, found by name as a person finds it by its caption.
template <class T = QLineEdit> T* on(QWidget& window, const char* name) {
    return window.findChild<QWidget*>("optionsTab")->findChild<T*>(name);
}

// The name, address and FTP port typed, the rest as the selected profile has them.
void typeProfile(QWidget& window, const QString& name, const QString& address,
                 const QString& ftpPort) {
    test::typeInto(on(window, "profileNameBox"), name);
    test::typeInto(on(window, "addressBox"), address);
    test::typeInto(on(window, "ftpPortBox"), ftpPort);
}

} // namespace

class OptionsTabTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;

    template <class T = QLineEdit> T* named(const char* name) { return on<T>(f_.window(), name); }
    void clickButton(const char* name) { click(named<QPushButton>(name)); }
    QListWidget* profileList() { return named<QListWidget>("profileList"); }
    void pickProfile(int row) { test::clickRow(*profileList(), row); }
    ProfilePicker& picker() { return f_.find<ProfilePicker>("profilePicker"); }
    QString status(int panel) { return f_.status().panelText(panel); }
    std::filesystem::path profilesFile() const { return f_.data() / "Profiles.ini"; }
    QStringList listed() { return test::columnOf(*profileList()->model(), 0); }
    QStringList dropDownNames() { return test::columnOf(*picker().dropDown()->model(), 0); }
    std::optional<std::int32_t> storedColor() {
        return loadProfiles(f_.data()).profiles.at(0).foreColor;
    }

    void startWindow() { f_.makeWindow({.sample = std::nullopt, .tab = 2}); }
    void restart() {
        f_.closeWindow();
        startWindow();
    }
    void addProfile(const QString& name, const QString& address, const QString& ftpPort) {
        typeProfile(f_.window(), name, address, ftpPort);
        clickButton("addProfileButton");
    }

private slots:
    void init() {
        f_.prepare({.sample = std::nullopt});
        startWindow();
    }

    void cleanup() { f_.closeWindow(); }

    // Start-up creates the file with the default profile, selects it and shows it everywhere.
    void profilesAreAddedUpdatedAndRemovedByClickingAndKeys() {
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection"}));
        QCOMPARE(profileList()->currentRow(), 0);
        QCOMPARE(named("passwordBox")->echoMode(), QLineEdit::Password);
        typeProfile(f_.window(), "Living room", "10.0.0.7", " 2121x");
        test::tick(named<QCheckBox>("passiveBox"));
        QVERIFY(named<QCheckBox>("passiveBox")->isChecked());
        clickButton("addProfileButton");
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection", "Living room"}));
        QCOMPARE(profileList()->currentRow(), 1);
        QCOMPARE(named("ftpPortBox")->text(), QString("2121")); // shown back as digits

        pickProfile(0);
        typeProfile(f_.window(), "Bedroom", "10.0.0.8", "21");
        clickButton("updateProfileButton");
        QCOMPARE(dropDownNames(), QStringList({"Bedroom", "Living room"}));
        QCOMPARE(picker().activeBox()->text(), QString("Bedroom"));

        pickProfile(1);
        clickButton("removeProfileButton");
        QCOMPARE(listed(), QStringList({"Bedroom"}));
        QCOMPARE(named("profileNameBox")->text(), QString("Bedroom"));
        clickButton("removeProfileButton"); // the last one stays
        QCOMPARE(loadProfiles(f_.data()).profiles.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told.empty());

        // By keyboard alone.
        auto press = [&](Qt::Key key) { QTest::keyClick(f_.window().focusWidget(), key); };
        profileList()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        QCOMPARE(f_.window().focusWidget(), named<QWidget>("profileNameBox"));
        QTest::keyClick(named("profileNameBox"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(named("profileNameBox"), "Keyboard");
        for (int i = 0; i < 9; ++i) { // the other six boxes, Passive, Set Fore Color
            press(Qt::Key_Tab);
        }
        QCOMPARE(f_.window().focusWidget(), named<QWidget>("addProfileButton"));
        press(Qt::Key_Space);
        QCOMPARE(listed(), QStringList({"Bedroom", "Keyboard"}));

        // Restart turns the test buttons off while it runs; the focus must not fall onto the
        // back-up check box, where the next Space would untick it.
        test::typeInto(named("addressBox"), "127.0.0.1");
        test::typeInto(named("telnetPortBox"), "1"); // nobody listens there: refused at once
        QWidget* restartButton = named<QWidget>("restartButton");
        restartButton->setFocus(Qt::TabFocusReason);
        QTest::keyClick(restartButton, Qt::Key_Space);
        QVERIFY(f_.window().receiverLink().busy());
        QVERIFY(f_.window().focusWidget() != named<QCheckBox>("backupBox"));
        QTRY_VERIFY(!f_.window().receiverLink().busy());
        QCOMPARE(f_.window().focusWidget(), restartButton);
        QTest::keyClick(f_.window().focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!f_.window().receiverLink().busy());
        QVERIFY(named<QCheckBox>("backupBox")->isChecked());
    }

    // The button and the swatch both store the colour. Both send check boxes are on at first, keep
    // a click across runs, and a settings file without their keys (an older one) leaves them on.
    void theColourAndTheSendBoxesAreKeptAcrossRestarts() {
        test::writeSample(f_.folder(), {.services = 40, .satellites = 2, .bouquets = 2});
        QVERIFY(f_.window().openFolder(f_.folder()));
        auto colorOf = [&](const QAbstractItemModel* model) {
            return model->index(0, 0).data(Qt::ForegroundRole).value<QColor>();
        };
        auto listColors = [&] {
            return QList<QColor>{colorOf(&f_.serviceModel()), colorOf(&f_.contentsModel()),
                                 colorOf(&f_.bouquetListModel())};
        };
        const auto ticked = [&] {
            return std::pair(named<QCheckBox>("backupBox")->isChecked(),
                             named<QCheckBox>("previewBox")->isChecked());
        };
        QCOMPARE(ticked(), std::pair(true, true));
        test::tick(named<QCheckBox>("backupBox"));
        test::tick(named<QCheckBox>("previewBox"));
        const QColor caption(10, 36, 106);
        QCOMPARE(listColors(), QList<QColor>(3, caption));

        f_.dialogs().nextColor = QColor(200, 0, 0);
        clickButton("setForeColorButton");
        QVERIFY(f_.dialogs().colorDialogStartedWith == std::vector<QColor>{caption});
        QCOMPARE(listColors(), QList<QColor>(3, QColor(200, 0, 0)));
        QCOMPARE(named<ColorSwatch>("colorSwatch")->color(), QColor(200, 0, 0));
        QCOMPARE(storedColor(), std::optional<std::int32_t>(200));

        f_.dialogs().nextColor = QColor(0, 0, 255);
        QTest::mouseClick(named<ColorSwatch>("colorSwatch"), Qt::LeftButton);
        QCOMPARE(listColors(), QList<QColor>(3, QColor(0, 0, 255)));
        QCOMPARE(storedColor(), std::optional<std::int32_t>(0xFF0000));
        restart();
        QCOMPARE(named<ColorSwatch>("colorSwatch")->color(), QColor(0, 0, 255));
        QCOMPARE(ticked(), std::pair(false, false));
        f_.closeWindow();
        test::writeText(f_.data() / "Tavrino.ini", "[General]\nOther=1\n");
        startWindow();
        QCOMPARE(ticked(), std::pair(true, true));
    }

    // The window says so at start-up and on each change it does not write.
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
        clickButton("updateProfileButton");
        f_.dialogs().nextColor = QColor(1, 2, 3);
        clickButton("setForeColorButton");
        QCOMPARE(f_.dialogs().told.size(), std::size_t{4});
        QVERIFY(f_.dialogs().told[1].text.find("is not rewritten") != std::string::npos);
        f_.closeWindow();
        QCOMPARE(test::readText(profilesFile()), text);
    }

    // One added elsewhere shows when the window is active again, what was typed stays; every
    // change is merged into Profiles.ini as it is on disk; closing writes nothing.
    void profilesAddedElsewhereSurviveEveryWindow() {
        test::typeInto(named("addressBox"), "10.0.0.99"); // typed, not stored
        addElsewhere(f_.data(), "From the command line");
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(dropDownNames(), QStringList({"TEST Connection", "From the command line"}));
        QCOMPARE(profileList()->currentRow(), 0);
        QCOMPARE(named("addressBox")->text(), QString("10.0.0.99"));
        addProfile("From the window", "10.0.0.7", "21"); // merged, not written over
        QCOMPARE(profileList()->currentRow(), 2);
        QCOMPARE(status(1), QString("Profile : From the window"));

        auto second =
            std::make_unique<MainWindow>(f_.dialogs(), QString::fromStdString(f_.data().string()));
        second->show();
        QVERIFY(QTest::qWaitForWindowExposed(second.get()));
        typeProfile(*second, "From a second window", "10.0.0.8", "21");
        click(on<QPushButton>(*second, "addProfileButton"));
        addElsewhere(f_.data(), "Late");
        pickProfile(0);
        test::typeInto(named("addressBox"), "10.0.0.36");
        clickButton("updateProfileButton");
        const QStringList all = {"TEST Connection", "From the command line", "From the window",
                                 "From a second window", "Late"};
        QCOMPARE(listed(), all);

        second->close();
        f_.window().close(); // the one closed last wins nothing
        second.reset();
        restart();
        QCOMPARE(listed(), all);
        QCOMPARE(loadProfiles(f_.data()).profiles.at(4).password, std::string("secret of Late"));
        QCOMPARE(loadProfiles(f_.data()).profiles.at(0).address, std::string("10.0.0.36"));
        QVERIFY(f_.dialogs().told.empty());
    }

    // Picked on tab 1's drop-down, the profile is selected on the Options tab too, and
    // remembered by its name, so one removed elsewhere moves no other in.
    void theProfilePickedOnTabOneIsRememberedAcrossRestarts() {
        addProfile("Second", "10.0.0.2", "2100");
        addProfile("Third", "10.0.0.3", "21");
        pickProfile(0);
        f_.tabs().setCurrentIndex(0);
        QApplication::processEvents();
        click(picker().activeBox()); // clicking the name box opens the drop-down
        QTRY_VERIFY(picker().dropDown()->view()->isVisible());
        QTest::keyClick(picker().dropDown()->view(), Qt::Key_Down);
        QTest::keyClick(picker().dropDown()->view(), Qt::Key_Return);
        QTRY_VERIFY(!picker().dropDown()->view()->isVisible());
        QCOMPARE(profileList()->currentRow(), 1);
        restart();
        QCOMPARE(profileList()->currentRow(), 1);
        QCOMPARE(picker().activeBox()->text(), QString("Second"));
        QCOMPARE(status(2), QString("IP Address : 10.0.0.2 / FTP Port : 2100 / Telnet Port : 23"));
        pickProfile(2);
        f_.closeWindow();
        QVERIFY(
            !changeProfiles(f_.data(), {ProfileChange::Kind::Remove, "Second", 1, {}, 0}).refusal);
        startWindow();
        QCOMPARE(picker().activeBox()->text(), QString("Third"));
        QCOMPARE(profileList()->currentRow(), 1);
    }

    // Add and Update refuse alike and change nothing (the rules are the profile tests'); a port
    // outside 1-65535 would wrap (99999 reaches port 34463): the test buttons and the menu's
    // Receive refuse it too, before anything starts.
    void refusedProfilesAreToldAndChangeNothing() {
        addProfile("Second", "10.0.0.2", "21");
        QSignalSpy started(&f_.window().receiverLink(), &ReceiverLink::busyChanged);
        const std::string before = test::readText(profilesFile());
        const std::vector<const char*> buttons = {"updateProfileButton", "addProfileButton",
                                                  "testConnectionButton", "testLoginButton",
                                                  "restartButton"};
        // The refusal that shows by the start of its message; its words are the profile tests'.
        for (const auto& [box, typed, told, jobs] :
             {std::tuple{"profileNameBox", " TEST Connection  ", "Profile Name: ", false},
              std::tuple{"telnetPortBox", "99999", "Telnet Port: 99999 ", true},
              std::tuple{"ftpPortBox", "none", "FTP Port: 0 ", true}}) {
            pickProfile(0); // the stored values of "Second" again
            pickProfile(1);
            test::typeInto(named("profileNameBox"), "New");
            test::typeInto(named(box), typed);
            f_.dialogs().told.clear();
            for (std::size_t b = 0; b < (jobs ? buttons.size() : 2); ++b) {
                clickButton(buttons[b]);
            }
            if (jobs) {
                f_.action("receiveAction").trigger();
            }
            QCOMPARE(f_.dialogs().told.size(), std::size_t{jobs ? 6u : 2u});
            for (const Notice& notice : f_.dialogs().told) {
                QVERIFY2(notice.text.starts_with(told), notice.text.c_str());
            }
        }
        QCOMPARE(started.count(), 0);
        QCOMPARE(test::readText(profilesFile()), before);
        QCOMPARE(listed(), QStringList({"TEST Connection", "Second"}));
    }
};

QTEST_MAIN(OptionsTabTest)
#include "options_tab_test.moc"
