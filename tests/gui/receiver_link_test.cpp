#include "app/link_runner.h"
#include "app/main_window.h"
#include "app/options/options_tab.h"
#include "app/organize_list/organize_list_tab.h"
#include "app/organize_list/service_list_view.h"
#include "app/organize_list/service_model.h"
#include "app/organize_list/status_panels.h"
#include "app/receiver_link.h"
#include "link/link_messages.h"
#include "link/profiles.h"
#include "real_input.h"
#include "receiver_sim_process.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "widgets/connection_status_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace tavrino;
using namespace tavrino::app;
namespace fs = std::filesystem;

namespace {

const std::string simPassword = "gui-Pa55";
constexpr int jobLimitMs = 20000;

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QApplication::processEvents();
}

} // namespace

// The window against the receiver simulator on loopback: what the buttons and menu entries
// start, what the window does with the outcome, and the guard while a job runs.
class ReceiverLinkTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> served_;
    std::unique_ptr<test::TempDir> data_;
    std::unique_ptr<test::TempDir> folder_;
    std::unique_ptr<test::ReceiverSim> sim_;
    std::unique_ptr<test::ScriptedDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;
    sample::Files onReceiver_;
    sample::Files inWindow_;

    OrganizeListTab& tab() { return *window_->organizeListTab(); }
    ReceiverLink& link() { return window_->receiverLink(); }
    fs::path disk2() const { return served_->path() / "DISK2"; }

    // The simulator serving `onReceiver_`, and a window whose first profile points at it.
    void start(std::vector<std::string> faults = {}, sample::Options receiver = {}) {
        onReceiver_ = sample::generate(receiver);
        sample::writeFolder(onReceiver_, disk2());
        faults.insert(faults.end(), {"--password", simPassword});
        sim_ = std::make_unique<test::ReceiverSim>(served_->path(), faults);
        ConnectionProfile profile = defaultProfile();
        profile.profileName = "Simulator";
        profile.address = "127.0.0.1";
        profile.password = simPassword;
        profile.passive = true;
        profile.ftpPort = sim_->ftpPort();
        profile.telnetPort = sim_->telnetPort();
        saveProfiles(data_->path(), {profile});
        window_ =
            std::make_unique<MainWindow>(*dialogs_, QString::fromStdString(data_->path().string()));
        link().setTimeouts({Milliseconds{5000}, Milliseconds{5000}, Milliseconds{5000},
                            Milliseconds{5000}, Milliseconds{30}});
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    // Other lists than the receiver's, open in the window.
    void openOtherLists() {
        inWindow_ = test::writeSample(folder_->path(),
                                      {.services = 120, .satellites = 3, .bouquets = 2, .seed = 7});
        QVERIFY(window_->openFolder(folder_->path()));
    }

    void clickMenuEntry(QAction* action) {
        QMenuBar* bar = window_->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
        QApplication::processEvents();
    }

    bool everyEntryPointIs(bool enabled) {
        const OptionsTab& options = *window_->optionsTab();
        for (const QPushButton* b :
             {tab().receiveButton(), tab().sendButton(), options.testConnectionButton(),
              options.testLoginButton(), options.restartButton()}) {
            if (b->isEnabled() != enabled) {
                return false;
            }
        }
        return window_->receiveAction()->isEnabled() == enabled &&
               window_->sendAction()->isEnabled() == enabled;
    }

    std::vector<fs::path> receiverBackups() const {
        const fs::path root = data_->path() / "backups" / "receiver";
        std::vector<fs::path> folders;
        if (!fs::is_directory(root)) {
            return folders;
        }
        for (const auto& name : test::entries(root)) {
            folders.push_back(root / name);
        }
        return folders;
    }

private slots:
    void init() {
        served_ = std::make_unique<test::TempDir>();
        data_ = std::make_unique<test::TempDir>();
        folder_ = std::make_unique<test::TempDir>();
        dialogs_ = std::make_unique<test::ScriptedDialogs>();
    }

    void cleanup() {
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        window_.reset();
        sim_.reset();
    }

    void theMenuEntryReceivesAndOpensAfterAskingAboutEdits() {
        start({}, {.services = 300, .satellites = 4, .bouquets = 3});
        openOtherLists();
        test::clickRow(*tab().serviceView(), 0);
        tab().changeFlag(FlagCommand::Lock);
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        clickMenuEntry(window_->receiveAction());
        QCOMPARE(dialogs_->unsavedMoments, QStringList({"receiving files from the Orvix"}));
        QVERIFY(!link().busy()); // cancelled: nothing started

        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        clickMenuEntry(window_->receiveAction());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(tab().serviceModel()->rowCount(), 300);
        QVERIFY(!window_->document().workspace().modified());
        QVERIFY(window_->document().workspace().channelBytes() == onReceiver_.channel);
        QCOMPARE(window_->statusPanels()->note(), QString("Received from the Orvix"));
        QCOMPARE(window_->windowTitle(),
                 QString("Tavrino v.0.9.2880 - received from the Orvix[*]"));
        for (const char* panel : {"statusPanel1", "statusPanel2"}) { // the note hides neither
            QVERIFY(window_->statusPanels()->findChild<QLabel*>(panel)->isVisible());
        }
        QVERIFY(dialogs_->told.empty());
        QVERIFY(everyEntryPointIs(true));
        QVERIFY(!link().statusWindow()->isVisible());
    }

    void editsMadeWhileReceivingAreAskedAboutBeforeTheFilesReplaceThem() {
        start({"--slow", "250000"}, {.services = 600, .satellites = 4, .bouquets = 3});
        openOtherLists();
        click(tab().receiveButton()); // nothing unsaved yet: no question
        QVERIFY(link().busy());
        // The window stays live: an edit lands while the files arrive.
        test::clickRow(*tab().serviceView(), 0);
        tab().changeFlag(FlagCommand::Lock);
        dialogs_->unsavedAnswer = UserDialogs::UnsavedChoice::Cancel;
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(dialogs_->unsavedMoments,
                 QStringList({"opening the files received from the Orvix"}));
        QVERIFY(window_->document().workspace().modified()); // the edit is still there
        QCOMPARE(tab().serviceModel()->rowCount(), 120);
        QVERIFY(window_->statusPanels()->note().startsWith(
            "The received files were not opened; they are in "));
        QVERIFY(test::readFile(data_->path() / "tmp" / "all_channel.dat") == onReceiver_.channel);
    }

    void whileAJobRunsEveryEntryPointIsOffAndCancelEndsIt() {
        start({"--slow", "40000"}, {.services = 2000, .satellites = 4, .bouquets = 3});
        QVERIFY(everyEntryPointIs(true));
        click(tab().receiveButton());
        QVERIFY(link().busy());
        QVERIFY(everyEntryPointIs(false));
        widgets::ConnectionStatusWindow& status = *link().statusWindow();
        QVERIFY(status.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(status.progressBar()->value() > 0, jobLimitMs);
        QCOMPARE(status.text(), QString("Downloading..."));
        click(tab().sendButton()); // off: starts nothing
        clickMenuEntry(window_->sendAction());
        QVERIFY(dialogs_->told.empty());

        click(status.cancelButton());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), 5000);
        QVERIFY(everyEntryPointIs(true));
        QVERIFY(!status.isVisible());
        QVERIFY(!window_->document().workspace().channelLoaded()); // nothing was opened
        QVERIFY(test::entries(data_->path() / "tmp") == std::set<std::string>{"FTPLog.txt"});
        QCOMPARE(window_->statusPanels()->note(),
                 QString("Receiving was cancelled; nothing was opened."));
        QVERIFY(dialogs_->told.empty());
    }

    void sendUploadsTheImagesBacksUpAndReloads() {
        start();
        openOtherLists();
        click(tab().sendButton());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QVERIFY(dialogs_->told.empty());
        QVERIFY(test::readFile(disk2() / "DVBS.dat") == inWindow_.dvbs);
        QVERIFY(test::readFile(disk2() / "antenna_list.dat") == inWindow_.antenna);
        QVERIFY(test::readFile(disk2() / "all_channel.dat") ==
                window_->document().workspace().channelBytes());
        QCOMPARE(sim_->commands(), std::vector<std::string>{reloadCommand});
        const auto backups = receiverBackups();
        QCOMPARE(backups.size(), std::size_t{1});
        QVERIFY(test::readFile(backups[0] / "all_channel.dat") == onReceiver_.channel);
        QCOMPARE(window_->statusPanels()->note(),
                 QString("Sent to the Orvix, which reloaded them."));
    }

    void aSendThatStopsHalfwayOffersToPutTheBackupBack() {
        start({"--refuse-rename", "all_channel.dat"});
        openOtherLists();
        dialogs_->yesNoAnswers = {true};
        bool progressBehindAMessage = false;
        dialogs_->whenShown = [&] { progressBehindAMessage |= link().statusWindow()->isVisible(); };
        click(tab().sendButton());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QVERIFY(!progressBehindAMessage);
        const auto backups = receiverBackups();
        QCOMPARE(backups.size(), std::size_t{1});
        QCOMPARE(dialogs_->asked.size(), std::size_t{1});
        QCOMPARE(dialogs_->asked[0], restoreQuestion(backups[0].string()));
        QVERIFY(!dialogs_->told.empty());
        QVERIFY(dialogs_->told[0].text.starts_with("all_channel.dat could not be put in place"));
        // The two files that had been renamed into place are the receiver's own again.
        QVERIFY(test::readFile(disk2() / "DVBS.dat") == onReceiver_.dvbs);
        QVERIFY(test::readFile(disk2() / "antenna_list.dat") == onReceiver_.antenna);
        QVERIFY(test::readFile(disk2() / "all_channel.dat") == onReceiver_.channel);
        QVERIFY(sim_->commands().empty()); // never told to reload
        QVERIFY(everyEntryPointIs(true));
    }

    // The question stays up while the receive would have finished: nothing may land under it,
    // and Yes ends the receive without opening what came.
    void closingDuringAReceiveStopsItAndOpensNothing() {
        start({}, {.services = 300, .satellites = 4, .bouquets = 3});
        openOtherLists();
        dialogs_->yesNoAnswers = {true};
        dialogs_->whenShown = [&] { QTest::qWait(1500); };
        click(tab().receiveButton());
        QVERIFY(link().busy());
        window_->close();
        QVERIFY(!link().busy());
        QVERIFY(!window_->isVisible());
        QCOMPARE(dialogs_->asked.size(), std::size_t{1}); // no second question on top
        QVERIFY(dialogs_->told.empty());
        QCOMPARE(dialogs_->unsavedQuestions, 0);
        QVERIFY(window_->document().workspace().channelBytes() == inWindow_.channel);
        QCOMPARE(tab().serviceModel()->rowCount(), 120);
    }

    void closingDuringASendThatCutAFileSaysSoAndOffersTheBackup() {
        start({"--refuse-hidden", "--cut-upload", "all_channel.dat"});
        openOtherLists();
        dialogs_->yesNoAnswers = {true, false};
        const auto cut = [&] { return test::readFile(disk2() / "all_channel.dat").size() == 1024; };
        dialogs_->whenShown = [&] {
            if (dialogs_->asked.empty()) { // the close question: the cut happens meanwhile
                QTRY_VERIFY_WITH_TIMEOUT(cut(), jobLimitMs);
                QTest::qWait(300);
            }
        };
        click(tab().sendButton());
        QVERIFY(link().busy());
        window_->close();
        QVERIFY(!link().busy());
        QVERIFY(!window_->isVisible());
        const auto backups = receiverBackups();
        QCOMPARE(backups.size(), std::size_t{1});
        QCOMPARE(dialogs_->asked.size(), std::size_t{2});
        QCOMPARE(dialogs_->asked[1], restoreQuestion(backups[0].string()));
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QVERIFY(dialogs_->told[0].text.find("all_channel.dat on the Orvix is now incomplete: 1,024 "
                                            "of ") != std::string::npos);
        QVERIFY(sim_->commands().empty());
    }

    void testLoginShowsTheConversationInGreen() {
        start();
        window_->tabs()->setCurrentIndex(2);
        click(window_->optionsTab()->testLoginButton());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(dialogs_->told.size(), std::size_t{1});
        QCOMPARE(dialogs_->told[0].title, std::string("Information"));
        QVERIFY(dialogs_->told[0].text.starts_with(
            "Successfully connected to the Orvix on IP address 127.0.0.1 (port"));
        const QString transcript = window_->optionsTab()->transcriptPane()->toPlainText();
        QVERIFY(transcript.contains("Orvix login:"));
        QVERIFY(transcript.contains("Password:"));
        QVERIFY(!transcript.contains(QString::fromStdString(simPassword)));
        QVERIFY(sim_->commands().empty());
    }

    void sendWithoutAllThreeFilesIsRefusedBeforeAnythingStarts() {
        start();
        click(tab().sendButton());
        QVERIFY(!link().busy());
        QCOMPARE(dialogs_->told, std::vector<Notice>{sendNeedsAllFilesNotice()});
        QVERIFY(receiverBackups().empty());
    }
};

QTEST_MAIN(ReceiverLinkTest)
#include "receiver_link_test.moc"
