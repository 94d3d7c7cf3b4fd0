#include "app/receiver_link.h"

#include "app/link_runner.h"
#include "app/screen_fit.h"
#include "app/send_preview_dialog.h"
#include "app/twips.h"
#include "link/link_messages.h"
#include "link/telnet_session.h"
#include "link/workflows.h"
#include "widgets/connection_status_window.h"

#include <QEventLoop>
#include <QWidget>
#include <stdexcept>

namespace tavrino::app {

using Finish = LinkRunner::Finish;

ReceiverLink::ReceiverLink(Prompter& dialogs, std::filesystem::path dataFolder, QWidget* window)
    : dialogs_(dialogs), dataFolder_(std::move(dataFolder)), window_(window),
      runner_(new LinkRunner(dialogs, this)), status_(new widgets::ConnectionStatusWindow(window)) {
    // A message never sits under a frozen progress window; the window returns with the next
    // step if the job goes on.
    connect(runner_, &LinkRunner::aboutToPrompt, status_, &QWidget::hide);
    connect(runner_, &LinkRunner::stepChanged, status_, [this](const QString& text) {
        if (!status_->isVisible() && runner_->busy()) {
            status_->show();
        }
        status_->setText(text);
        status_->setBytes(0, 1); // a new step starts with an empty bar
    });
    connect(runner_, &LinkRunner::bytesMoved, status_, &widgets::ConnectionStatusWindow::setBytes);
    connect(status_, &widgets::ConnectionStatusWindow::cancelRequested, runner_,
            &LinkRunner::cancel);
    connect(runner_, &LinkRunner::transcriptChanged, this, &ReceiverLink::transcriptChanged);
    connect(runner_, &LinkRunner::busyChanged, this, [this](bool busy) {
        if (!busy) {
            status_->hide();
        }
        emit busyChanged(busy);
    });
}

ReceiverLink::~ReceiverLink() {
    stop();
}

void ReceiverLink::setProfileSource(std::function<ConnectionProfile()> source) {
    profileSource_ = std::move(source);
}

void ReceiverLink::setBackupSource(std::function<bool()> source) {
    backupSource_ = std::move(source);
}

void ReceiverLink::setPreviewSource(std::function<bool()> source) {
    previewSource_ = std::move(source);
}

bool ReceiverLink::busy() const {
    return runner_->busy();
}

void ReceiverLink::stop() {
    runner_->stop();
    status_->hide();
}

void ReceiverLink::holdOutcome() {
    runner_->hold();
}

void ReceiverLink::releaseOutcome() {
    runner_->release();
}

void ReceiverLink::stopForClose() {
    closing_ = true;
    runner_->cancel();
    QEventLoop untilDone;
    connect(this, &ReceiverLink::busyChanged, &untilDone, [&untilDone](bool busy) {
        if (!busy) {
            untilDone.quit();
        }
    });
    runner_->release();
    if (busy()) {
        untilDone.exec();
    }
    closing_ = false; // the window may stay after all, when unsaved edits keep it
}

bool ReceiverLink::start(const ConnectionProfile& profile,
                         std::function<Finish(const LinkContext&)> job) {
    auto wrapped = [this, job = std::move(job)](const LinkContext& ctx) -> Finish {
        Finish finish = job(ctx);
        // The status window goes before the outcome is shown or the next job starts.
        return [this, finish] {
            status_->hide();
            if (finish) {
                finish();
            }
        };
    };
    if (!runner_->start(profile, timeouts_, dataFolder_, std::move(wrapped))) {
        return false;
    }
    placeStatusWindow();
    status_->start(linktext::connecting);
    return true;
}

void ReceiverLink::placeStatusWindow() {
    const QPoint corner = window_->frameGeometry().topLeft();
    status_->move(corner + QPoint(twipsToPixels(4275), twipsToPixels(4545)));
}

void ReceiverLink::receive(int targetVersion, const CodePage& codePage) {
    if (busy()) {
        return;
    }
    start(profileSource_(), [this, targetVersion, &codePage](const LinkContext& ctx) -> Finish {
        const ReceiveResult result = receiveFiles(ctx);
        std::shared_ptr<StagedFiles> staged;
        if (result.readyToOpen) {
            // Decoding 30,000 services here keeps the window's thread free for painting.
            staged = std::make_shared<StagedFiles>(
                readStaged(result.stagingFolder, targetVersion, codePage));
        }
        // Cancel pressed while the files were decoded still means nothing is opened.
        const bool cancelled = result.cancelled || ctx.cancel.cancelled();
        return [this, result, staged, cancelled] {
            if (staged && !cancelled && !closing_) {
                emit filesReceived(staged, result.stagingFolder);
            } else if (cancelled) {
                emit statusMessage("Receiving was cancelled; nothing was opened.");
            }
        };
    });
}

void ReceiverLink::send(ReceiverFiles files, const CodePage& codePage) {
    if (busy()) {
        return;
    }
    if (!readyToSend(files)) {
        dialogs_.tell(sendNeedsAllFilesNotice());
        return;
    }
    const ConnectionProfile profile = profileSource_();
    // Checked before anything is uploaded: the reload at the end would refuse it.
    if (auto problem = profileProblem(profile)) {
        dialogs_.tell(*problem);
        return;
    }
    SendOptions options{.backup = !backupSource_ || backupSource_()};
    if (!previewSource_ || previewSource_()) {
        options.confirm = [this, &codePage](const std::filesystem::path& onReceiver,
                                            const std::filesystem::path& toSend) {
            return confirmSend(onReceiver, toSend, codePage);
        };
    }
    start(profile,
          [this, profile, options,
           files = std::move(files)](const LinkContext& ctx) mutable -> Finish {
              const SendResult result = sendFiles(std::move(files), options, ctx);
              return [this, profile, result] {
                  if (result.ok()) {
                      emit statusMessage(result.reloaded
                                             ? QString("Sent to the Orvix, which reloaded them.")
                                             : QString("Sent to the Orvix."));
                  } else if (result.cancelled && !result.receiverChanged()) {
                      if (!closing_) {
                          emit statusMessage(
                              "Sending was cancelled; the Orvix was left as it was.");
                      }
                  } else if (!result.uploaded && result.receiverChanged() &&
                             !result.backupFolder.empty()) {
                      offerRestore(profile, result.backupFolder);
                  }
              };
          });
}

bool ReceiverLink::confirmSend(const std::filesystem::path& onReceiver,
                               const std::filesystem::path& toSend, const CodePage& codePage) {
    // The comparison runs here, on the worker; only the dialog is the window's.
    Workspace sending(codePage);
    const OpenResult opened = sending.openStaged(toSend);
    if (!opened.opened()) { // the runner tells it; nothing has gone up
        throw std::runtime_error(opened.problem ? opened.problem->oneLine()
                                                : "The files to send could not be read again.");
    }
    SendPreview preview = previewAgainst(onReceiver, sending);
    return runner_->askOnWindow(
        [this, preview = std::move(preview)](const LinkRunner::Answer& answer) mutable {
            auto* dialog = new SendPreviewDialog(std::move(preview), window_);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            preview_ = dialog;
            connect(dialog, &QDialog::finished, this, [this, answer](int result) {
                preview_ = nullptr;
                answer(result == QDialog::Accepted);
            });
            connect(runner_, &LinkRunner::cancelling, dialog, &QDialog::reject);
            fitToScreen(dialog);
            dialog->open(); // window-modal: nothing changes the lists while it is shown
        });
}

// Some files of the send are on the receiver and some are not: its lists no longer fit
// together until the earlier files are back.
void ReceiverLink::offerRestore(const ConnectionProfile& profile,
                                const std::filesystem::path& backup) {
    if (!dialogs_.ask(restoreQuestion(backup.string()))) {
        return;
    }
    start(profile, [backup](const LinkContext& ctx) -> Finish {
        restoreBackup(backup, ctx);
        return {};
    });
}

void ReceiverLink::telnet(TelnetGoal goal) {
    if (busy()) {
        return;
    }
    start(profileSource_(), [this, goal](const LinkContext& ctx) -> Finish {
        const TelnetOutcome outcome = runTelnet(goal, ctx);
        if (goal != TelnetGoal::Reload || !outcome.ok()) {
            return {};
        }
        return [this] { emit statusMessage("The Orvix was told to reload its lists."); };
    });
}

} // namespace tavrino::app
