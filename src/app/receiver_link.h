#pragma once

#include "database/receiver_files.h"
#include "link/link_context.h"
#include "link/telnet_conversation.h"
#include "workspace/workspace.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>

class QWidget;

namespace tavrino::widgets {
class ConnectionStatusWindow;
}

namespace tavrino::app {

class LinkRunner;

// The window's side of the receiver link: starts receive, send and the telnet commands on
// the runner's worker with the profile as the Options tab shows it, keeps the connection
// status window up to date while one runs, and turns the outcome into what the window does.
class ReceiverLink : public QObject {
    Q_OBJECT
public:
    ReceiverLink(Prompter& dialogs, std::filesystem::path dataFolder, QWidget* window);
    ~ReceiverLink() override;

    // The profile a command uses, read when it starts (the Options tab's boxes as typed).
    void setProfileSource(std::function<ConnectionProfile()> source);
    // Whether a send backs up the receiver's files first (the Options check box).
    void setBackupSource(std::function<bool()> source);
    // Whether a send shows what it will change and waits for Send or Cancel (the Options
    // check box).
    void setPreviewSource(std::function<bool()> source);
    void setTimeouts(const LinkTimeouts& timeouts) { timeouts_ = timeouts; }

    bool busy() const;
    LinkRunner& runner() { return *runner_; }
    widgets::ConnectionStatusWindow* statusWindow() const { return status_; }

    // "Receive from Orvix": the files are fetched and, once complete, read and decoded on the
    // worker too (with the workspace's TargetVersion and code page); filesReceived() hands
    // them over.
    void receive(int targetVersion, const CodePage& codePage);
    // "Send to Orvix" with a copy of the images, whose names are in `codePage`.
    void send(ReceiverFiles files, const CodePage& codePage);
    // The send's preview is up, waiting for Send or Cancel.
    bool previewShown() const { return preview_ != nullptr; }
    // "Test IP Connection", "Test Username / Pass." and "Restart".
    void telnet(TelnetGoal goal);
    // Stops whatever runs, asking and telling nothing more (shut-down).
    void stop();
    // While the window asks whether to close, the job's messages and outcome wait.
    void holdOutcome();
    // No to that question: the job goes on as before.
    void releaseOutcome();
    // Yes to it: cancels the job as Cancel does and returns once it has ended. Received files
    // are not opened; a send still says what it left on the receiver and offers the backup,
    // and a put-back that the user asks for is waited for too.
    void stopForClose();
    bool stoppingForClose() const { return closing_; }

signals:
    void busyChanged(bool busy);
    // The staged files are complete and read: the window swaps them in.
    void filesReceived(std::shared_ptr<tavrino::StagedFiles> staged,
                       const std::filesystem::path& stagingFolder);
    void transcriptChanged(bool cleared, const QByteArray& added);
    void statusMessage(const QString& text);

private:
    bool start(const ConnectionProfile& profile,
               std::function<std::function<void()>(const LinkContext&)> job);
    // Called on the worker: compares, shows the preview and waits for the answer.
    bool confirmSend(const std::filesystem::path& onReceiver, const std::filesystem::path& toSend,
                     const CodePage& codePage);
    void offerRestore(const ConnectionProfile& profile, const std::filesystem::path& backup);
    void placeStatusWindow();

    Prompter& dialogs_;
    std::filesystem::path dataFolder_;
    QWidget* window_;
    LinkRunner* runner_;
    widgets::ConnectionStatusWindow* status_;
    std::function<ConnectionProfile()> profileSource_;
    std::function<bool()> backupSource_;
    std::function<bool()> previewSource_;
    QPointer<QWidget> preview_;
    LinkTimeouts timeouts_;
    bool closing_ = false;
};

} // namespace tavrino::app
