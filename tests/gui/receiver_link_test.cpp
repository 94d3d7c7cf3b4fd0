#include "app/receiver_link.h"
#include "app/send_preview_dialog.h"
#include "link/link_messages.h"
#include "link/profiles.h"
#include "receiver_sim_process.h"
#include "widgets/connection_status_window.h"
#include "window_fixture.h"

using namespace tavrino;
using namespace tavrino::app;
using tavrino::test::click;
namespace fs = std::filesystem;

namespace {

const std::string simPassword = "gui-Pa55";
constexpr int jobLimitMs = 20000;

} // namespace

// The window against the receiver simulator on loopback: what the buttons and menu entries
// start, what the window does with the outcome, and the guard while a job runs.
class ReceiverLinkTest : public QObject {
    Q_OBJECT

private:
    test::WindowFixture f_;
    std::unique_ptr<test::TempDir> served_;
    std::unique_ptr<test::ReceiverSim> sim_;
    sample::Files onReceiver_;
    sample::Files inWindow_;

    ReceiverLink& link() { return f_.window().receiverLink(); }
    fs::path disk2() const { return served_->path() / "DISK2"; }

    // The simulator serving `onReceiver_`, and a window whose first profile points at it.
    void start(std::vector<std::string> faults = {}, sample::Options receiver = {}) {
        onReceiver_ = sample::generate(receiver);
        sample::writeFolder(onReceiver_, disk2());
        faults.insert(faults.end(), {"--password", simPassword});
        sim_ = std::make_unique<test::ReceiverSim>(served_->path(), faults);
        ConnectionProfile profile = defaultProfile();
        profile.address = "127.0.0.1";
        profile.password = simPassword;
        profile.passive = true;
        profile.ftpPort = sim_->ftpPort();
        profile.telnetPort = sim_->telnetPort();
        saveProfiles(f_.data(), {profile});
        f_.makeWindow({.sample = std::nullopt});
        link().setTimeouts({Milliseconds{5000}, Milliseconds{5000}, Milliseconds{5000},
                            Milliseconds{5000}, Milliseconds{30}});
    }

    // Other lists than the receiver's, open in the window.
    void openOtherLists() {
        inWindow_ = test::writeSample(f_.folder(),
                                      {.services = 120, .satellites = 3, .bouquets = 2, .seed = 7});
        QVERIFY(f_.window().openFolder(f_.folder()));
    }

    // An edit as a person makes it: the first row clicked, LOCK.
    void lockFirstRow() {
        test::clickRow(f_.serviceView(), 0);
        f_.serviceView().lockAction()->trigger();
    }

    // No preview, the send goes straight on: the Options tab's "Show what will change before
    // sending" unticked by a click.
    void sendWithoutPreview() {
        f_.tabs().setCurrentIndex(2);
        test::tick(&f_.find<QCheckBox>("previewBox"));
        QVERIFY(!f_.find<QCheckBox>("previewBox").isChecked());
        f_.tabs().setCurrentIndex(0);
    }

    void clickMenuEntry(QAction* action) {
        QMenuBar* bar = f_.window().menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
        QApplication::processEvents();
    }

    bool everyEntryPointIs(bool enabled) {
        QList<bool> states = {f_.action("receiveAction").isEnabled(),
                              f_.action("sendAction").isEnabled()};
        for (const char* name : {"receiveButton", "sendButton", "testConnectionButton",
                                 "testLoginButton", "restartButton"}) {
            states << f_.button(name).isEnabled();
        }
        return states == QList<bool>(7, enabled);
    }

    std::vector<fs::path> receiverBackups() const {
        const fs::path root = f_.data() / "backups" / "receiver";
        return fs::is_directory(root)
                   ? std::vector<fs::path>(fs::directory_iterator(root), fs::directory_iterator())
                   : std::vector<fs::path>();
    }

    // A send that failed on the way: one backup, offered back by the last question, what failed
    // told first, and no reload.
    void checkRestoreOffered(const std::string& failure) {
        const auto backups = receiverBackups();
        QCOMPARE(backups.size(), std::size_t{1});
        QCOMPARE(f_.dialogs().asked.back(), restoreQuestion(backups[0].string()));
        QVERIFY2(f_.dialogs().told.at(0).text.find(failure) != std::string::npos,
                 f_.dialogs().told[0].text.c_str());
        QVERIFY(sim_->commands().empty());
    }

private slots:
    void init() {
        served_ = std::make_unique<test::TempDir>();
        f_.prepare({.sample = std::nullopt});
    }

    void cleanup() {
        f_.stop();
        sim_.reset();
    }

    // Receive opens what came, after the question about unsaved edits; the status says what
    // differs from the lists open before (nothing open: no comparison) and hides no panel.
    void receivingAsksAboutEditsSaysWhatDiffersAndStopsAtClose() {
        start({}, {.services = 300, .satellites = 4, .bouquets = 3});
        QAction& entry = f_.fileEntry("Compare With Lists Before Receive");
        click(&f_.button("receiveButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(f_.serviceModel().rowCount(), 300);
        QCOMPARE(f_.window().windowTitle(),
                 QString("Tavrino v.0.9.2880 - received from the Orvix[*]"));
        QVERIFY(!entry.isEnabled());

        const QString locked = f_.cell(0, colService);
        lockFirstRow();
        clickMenuEntry(&f_.action("receiveAction"));
        QCOMPARE(f_.dialogs().unsavedMoments, QStringList({"receiving files from the Orvix"}));
        QVERIFY(!link().busy()); // Cancel: nothing started
        f_.dialogs().unsavedAnswer = UserDialogs::UnsavedChoice::Discard;
        clickMenuEntry(&f_.action("receiveAction"));
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QVERIFY(!f_.workspace().modified());
        QCOMPARE(f_.status().note(),
                 QString("Received: 1 service, 0 bouquets, 0 satellites differ from before"));
        QVERIFY(f_.status().findChild<QLabel*>("statusPanel1")->isVisible() &&
                f_.status().findChild<QLabel*>("statusPanel2")->isVisible());
        QVERIFY(f_.dialogs().told.empty());
        QVERIFY(entry.isEnabled());
        QTest::mouseClick(f_.status().findChild<QLabel*>("statusLink"), Qt::LeftButton);
        const QAbstractItemModel* compared = f_.find<QTableView>("comparisonTable").model();
        QCOMPARE(compared->rowCount(), 1);
        QCOMPARE(compared->index(0, 2).data().toString(), locked);

        openOtherLists(); // the lists from before the receive are dropped, and their window
        QVERIFY(!entry.isEnabled());
        QTRY_VERIFY(f_.findWindow("compareWindow") == nullptr);

        // Closing while it runs: the question stays up while the receive would have finished;
        // nothing may land under it, and Yes ends the receive without opening what came.
        f_.dialogs().yesNoAnswers = {true};
        f_.dialogs().whenShown = [&] { QTest::qWait(1500); };
        click(&f_.button("receiveButton"));
        QVERIFY(link().busy());
        f_.window().close();
        QVERIFY(!link().busy() && !f_.window().isVisible());
        // One question, no second one on top, none about edits; nothing told.
        QCOMPARE(std::tuple(f_.dialogs().asked.size(), f_.dialogs().told.size(),
                            f_.dialogs().unsavedQuestions),
                 std::tuple(std::size_t{1}, std::size_t{0}, 2));
        QVERIFY(f_.workspace().channelBytes() == inWindow_.channel);
    }

    void editsMadeWhileReceivingAreAskedAboutBeforeTheFilesReplaceThem() {
        start({"--slow", "250000"}, {.services = 600, .satellites = 4, .bouquets = 3});
        openOtherLists();
        click(&f_.button("receiveButton")); // nothing unsaved yet: no question
        QVERIFY(link().busy());
        lockFirstRow(); // the window stays live: an edit lands while the files arrive
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(f_.dialogs().unsavedMoments,
                 QStringList({"opening the files received from the Orvix"}));
        QVERIFY(f_.workspace().modified()); // the edit is still there
        QCOMPARE(f_.serviceModel().rowCount(), 120);
        QVERIFY(f_.status().note().startsWith("The received files were not opened; they are in "));
        QVERIFY(test::readFile(f_.data() / "tmp" / "all_channel.dat") == onReceiver_.channel);
    }

    void whileAJobRunsEveryEntryPointIsOffAndCancelEndsIt() {
        start({"--slow", "40000"}, {.services = 2000, .satellites = 4, .bouquets = 3});
        click(&f_.button("receiveButton"));
        QVERIFY(link().busy() && everyEntryPointIs(false));
        widgets::ConnectionStatusWindow& status = *link().statusWindow();
        QVERIFY(status.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(status.progressBar()->value() > 0, jobLimitMs);
        click(status.cancelButton());
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), 5000);
        QVERIFY(everyEntryPointIs(true) && !status.isVisible());
        QVERIFY(!f_.workspace().channelLoaded()); // nothing was opened
        QVERIFY(test::entries(f_.data() / "tmp") == std::set<std::string>{"FTPLog.txt"});
        QCOMPARE(f_.status().note(), QString("Receiving was cancelled; nothing was opened."));
        QVERIFY(f_.dialogs().told.empty());
    }

    // The backup is made, then the preview says what will change; Cancel (closing the window
    // without the question about a running transfer, a click, or Escape after Enter in the
    // filter box did nothing) leaves the receiver as it was, Send (by keyboard: Tab leaves the
    // table) goes on.
    void theSendShowsWhatWillChangeAndGoesOnOnlyWithSend() {
        start();
        sample::writeFolder(onReceiver_, f_.folder());
        QVERIFY(f_.window().openFolder(f_.folder()));
        lockFirstRow();
        const QString cancelled = "Sending was cancelled; the Orvix was left as it was.";
        const std::pair<QString, QString> runs[] = {
            {"close the window", ""}, // a window closing says nothing more
            {"click Cancel", cancelled},
            {"Escape", cancelled},
            {"Tab to Send, Space", "Sent to the Orvix, which reloaded them."}};
        for (const auto& [how, note] : runs) {
            const bool send = how.endsWith("Space");
            click(&f_.button("sendButton"));
            SendPreviewDialog* preview = nullptr; // a closed one lingers until deleted
            QTRY_VERIFY2_WITH_TIMEOUT(
                (preview = f_.findWindow<SendPreviewDialog>("sendPreviewDialog")) != nullptr &&
                    preview->isVisible(),
                qPrintable(how), jobLimitMs);
            QCOMPARE(preview->findChild<QLabel*>("comparisonCounts")->text(),
                     QString("Services: 1 changed"));
            QVERIFY(!link().statusWindow()->isVisible());
            auto* filter = preview->findChild<QLineEdit*>("comparisonTextFilter");
            auto* rows = preview->findChild<QTableView*>("comparisonTable");
            test::typeInto(filter, "hdflag");
            QTest::keyClick(filter, Qt::Key_Return);
            QVERIFY2(preview->isVisible(), "Enter in the filter box neither sends nor cancels");
            if (how == "Escape") {
                QTest::keyClick(filter, Qt::Key_Escape);
            } else if (send) {
                QCOMPARE(QApplication::focusWidget(), rows); // Enter above went on to them
                QTest::keyClick(rows, Qt::Key_Tab);          // not to the next cell
                QCOMPARE(QApplication::focusWidget(), preview->sendButton());
                QTest::keyClick(preview->sendButton(), Qt::Key_Space);
            } else if (how == "click Cancel") {
                click(preview->cancelButton());
            } else {
                f_.window().close(); // the question about the edit keeps the window open
                QVERIFY(!link().busy());
            }
            QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
            QCOMPARE(receiverBackups().size(), std::size_t{send});
            QVERIFY(f_.dialogs().told.empty() && f_.dialogs().asked.empty());
            QVERIFY(everyEntryPointIs(true));
            const bool unchanged =
                test::readFile(disk2() / "all_channel.dat") == onReceiver_.channel &&
                test::readFile(disk2() / "antenna_list.dat") == onReceiver_.antenna &&
                test::readFile(disk2() / "DVBS.dat") == onReceiver_.dvbs;
            QVERIFY2(unchanged != send, qPrintable(how));
            QCOMPARE(sim_->commands().size(), std::size_t{send});
            QCOMPARE(f_.status().note(), note);
        }
        QVERIFY(test::readFile(disk2() / "all_channel.dat") == f_.workspace().channelBytes());
        QCOMPARE(sim_->commands(), std::vector<std::string>{reloadCommand});
    }

    void aSendThatStopsHalfwayOffersToPutTheBackupBack() {
        start({"--refuse-rename", "all_channel.dat"});
        openOtherLists();
        sendWithoutPreview();
        f_.dialogs().yesNoAnswers = {true};
        bool progressBehindAMessage = false;
        f_.dialogs().whenShown = [&] {
            progressBehindAMessage |= link().statusWindow()->isVisible();
        };
        click(&f_.button("sendButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QVERIFY(!progressBehindAMessage);
        QCOMPARE(f_.dialogs().asked.size(), std::size_t{1});
        checkRestoreOffered("all_channel.dat could not be put in place");
        // Yes put the files that had been renamed into place back from the backup.
        QVERIFY(test::readFile(disk2() / "DVBS.dat") == onReceiver_.dvbs);
        QVERIFY(everyEntryPointIs(true));
    }

    void closingDuringASendThatCutAFileSaysSoAndOffersTheBackup() {
        start({"--refuse-hidden", "--cut-upload", "all_channel.dat"});
        openOtherLists();
        sendWithoutPreview();
        f_.dialogs().yesNoAnswers = {true, false};
        const auto cut = [&] { return test::readFile(disk2() / "all_channel.dat").size() == 1024; };
        f_.dialogs().whenShown = [&] {
            if (f_.dialogs().asked.empty()) { // the close question: the cut happens meanwhile
                QTRY_VERIFY_WITH_TIMEOUT(cut(), jobLimitMs);
                QTest::qWait(300);
            }
        };
        click(&f_.button("sendButton"));
        QVERIFY(link().busy());
        f_.window().close();
        QVERIFY(!link().busy() && !f_.window().isVisible());
        QCOMPARE(std::pair(f_.dialogs().asked.size(), f_.dialogs().told.size()),
                 std::pair(std::size_t{2}, std::size_t{1}));
        checkRestoreOffered("all_channel.dat on the Orvix is now incomplete: 1,024 of ");
    }

    // A send without all three files open is refused before anything starts.
    void testLoginShowsTheConversationInGreen() {
        start();
        click(&f_.button("sendButton"));
        QCOMPARE(f_.dialogs().told, std::vector<Notice>{sendNeedsAllFilesNotice()});
        QVERIFY(receiverBackups().empty());
        f_.dialogs().told.clear();
        f_.tabs().setCurrentIndex(2);
        click(&f_.button("testLoginButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!link().busy(), jobLimitMs);
        QCOMPARE(f_.dialogs().told.size(), std::size_t{1});
        QVERIFY(f_.dialogs().told[0].text.starts_with(
            "Successfully connected to the Orvix on IP address 127.0.0.1 (port"));
        const QString transcript = f_.find<QPlainTextEdit>("transcriptPane").toPlainText();
        QVERIFY(transcript.contains("Orvix login:") && transcript.contains("Password:"));
        QVERIFY(!transcript.contains(QString::fromStdString(simPassword)));
        QVERIFY(sim_->commands().empty());
    }
};

QTEST_MAIN(ReceiverLinkTest)
#include "receiver_link_test.moc"
