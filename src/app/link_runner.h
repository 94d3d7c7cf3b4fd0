#pragma once

#include "link/link_context.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace tavrino::app {

// Runs one receiver-link job at a time on a worker thread, so the window stays live. What
// the job reports through LinkProgress arrives here as signals on the window's thread; what
// it tells or asks through the Prompter is shown by `dialogs` on the window's thread while
// the worker waits for the answer. busy() is the one guard every entry point checks.
class LinkRunner : public QObject {
    Q_OBJECT
public:
    // Runs on the window's thread once the worker has finished.
    using Finish = std::function<void()>;
    // Runs on the worker; returns what the window does with the outcome.
    using Job = std::function<Finish(const LinkContext&)>;
    // Puts a question up on the window's thread without a loop of its own (a dialog opened,
    // not run) and calls the answer once it is given.
    using Answer = std::function<void(bool)>;
    using WindowQuestion = std::function<void(Answer)>;

    explicit LinkRunner(Prompter& dialogs, QObject* parent = nullptr);
    ~LinkRunner() override;

    bool busy() const { return busy_; }
    // False (and nothing runs) while another job is running.
    bool start(const ConnectionProfile& profile, const LinkTimeouts& timeouts,
               const std::filesystem::path& dataFolder, Job job);
    void cancel();
    // Cancels the job, answers its questions with No, drops its Finish and waits for it.
    void stop();
    // While held, the job's messages and questions and its Finish wait, so nothing shows or
    // changes under a question the window is asking; release lets them through.
    void hold();
    void release();
    // Called on the worker: shows `question` and waits for its answer. Held as messages are;
    // false at once when the job is cancelled or stopped, and a question still up then is
    // withdrawn (cancelling()).
    bool askOnWindow(WindowQuestion question);

signals:
    void busyChanged(bool busy);
    void stepChanged(const QString& text);
    // A message or question is about to show while the job waits for it.
    void aboutToPrompt();
    // The job is being cancelled or stopped: a question of askOnWindow still up answers No.
    void cancelling();
    void bytesMoved(qulonglong done, qulonglong total);
    // Code-page bytes for the transcript pane; `cleared` empties the pane first.
    void transcriptChanged(bool cleared, const QByteArray& added);

private:
    class Progress;
    class WindowPrompter;
    struct Run;

    void finished(std::uint64_t id, Finish finish);
    void waitWhileHeld() const;
    void setBusy(bool busy);
    void postBytes();

    Prompter& dialogs_;
    std::unique_ptr<Progress> progress_;
    std::unique_ptr<WindowPrompter> prompter_;
    std::unique_ptr<Run> run_;
    std::thread worker_;
    std::uint64_t jobId_ = 0;
    bool busy_ = false;
    bool shownBusy_ = false;
    std::atomic<bool> quiet_{false};
    std::atomic<bool> held_{false};
    std::optional<std::pair<std::uint64_t, Finish>> heldFinish_;
    std::atomic<bool> workerDone_{true};
    std::atomic<std::uint64_t> bytesDone_{0};
    std::atomic<std::uint64_t> bytesTotal_{0};
    std::atomic<bool> bytesPosted_{false};
};

} // namespace tavrino::app
