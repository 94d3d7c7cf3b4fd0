#include "app/link_runner.h"

#include <QCoreApplication>
#include <chrono>
#include <mutex>

namespace tavrino::app {

struct LinkRunner::Run {
    Run(const ConnectionProfile& p, const LinkTimeouts& t, std::filesystem::path folder)
        : profile(p), timeouts(t), dataFolder(std::move(folder)) {}
    ConnectionProfile profile;
    LinkTimeouts timeouts;
    std::filesystem::path dataFolder;
    CancelToken cancel;
};

// Called on the worker: everything is posted to the runner's thread, whose signals then
// reach the window there.
class LinkRunner::Progress : public LinkProgress {
public:
    explicit Progress(LinkRunner& runner) : runner_(runner) {}

    void step(const std::string& text) override {
        QMetaObject::invokeMethod(
            &runner_, [r = &runner_, t = QString::fromStdString(text)] { emit r->stepChanged(t); },
            Qt::QueuedConnection);
    }

    // A transfer reports every buffer; the window needs only the latest, once per turn.
    void bytes(std::uint64_t done, std::uint64_t total) override {
        runner_.bytesDone_ = done;
        runner_.bytesTotal_ = total;
        if (!runner_.bytesPosted_.exchange(true)) {
            QMetaObject::invokeMethod(
                &runner_, [r = &runner_] { r->postBytes(); }, Qt::QueuedConnection);
        }
    }

    void transcript(const TranscriptChange& change) override {
        QMetaObject::invokeMethod(
            &runner_,
            [r = &runner_, cleared = change.cleared,
             added = QByteArray::fromStdString(change.added)] {
                emit r->transcriptChanged(cleared, added);
            },
            Qt::QueuedConnection);
    }

private:
    LinkRunner& runner_;
};

// Called on the worker, which waits while the window shows the message or the question.
class LinkRunner::WindowPrompter : public Prompter {
public:
    explicit WindowPrompter(LinkRunner& runner) : runner_(runner) {}

    void tell(const Notice& notice) override {
        runner_.waitWhileHeld();
        if (runner_.quiet_) {
            return;
        }
        QMetaObject::invokeMethod(
            &runner_,
            [this, &notice] {
                if (!runner_.quiet_) {
                    emit runner_.aboutToPrompt();
                    runner_.dialogs_.tell(notice);
                }
            },
            Qt::BlockingQueuedConnection);
    }

    bool ask(const Notice& question) override {
        bool answer = false;
        runner_.waitWhileHeld();
        if (runner_.quiet_) {
            return answer;
        }
        QMetaObject::invokeMethod(
            &runner_,
            [this, &question, &answer] {
                if (!runner_.quiet_) {
                    emit runner_.aboutToPrompt();
                    answer = runner_.dialogs_.ask(question);
                }
            },
            Qt::BlockingQueuedConnection);
        return answer;
    }

private:
    LinkRunner& runner_;
};

LinkRunner::LinkRunner(Prompter& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs), progress_(std::make_unique<Progress>(*this)),
      prompter_(std::make_unique<WindowPrompter>(*this)) {}

LinkRunner::~LinkRunner() {
    stop();
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool LinkRunner::start(const ConnectionProfile& profile, const LinkTimeouts& timeouts,
                       const std::filesystem::path& dataFolder, Job job) {
    if (busy_) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    run_ = std::make_unique<Run>(profile, timeouts, dataFolder);
    quiet_ = false;
    workerDone_ = false;
    const std::uint64_t id = ++jobId_;
    setBusy(true);
    worker_ = std::thread([this, id, job = std::move(job), run = run_.get()] {
        const LinkContext ctx{run->profile, run->timeouts, run->dataFolder,
                              *progress_,   *prompter_,    run->cancel};
        Finish finish;
        try {
            finish = job(ctx);
        } catch (const std::exception& e) {
            prompter_->tell({"Failure", e.what(), NoticeIcon::Critical});
        }
        QMetaObject::invokeMethod(
            this, [this, id, finish = std::move(finish)] { finished(id, finish); },
            Qt::QueuedConnection);
        workerDone_ = true;
    });
    return true;
}

void LinkRunner::cancel() {
    if (busy_ && run_) {
        run_->cancel.cancel();
        emit cancelling();
    }
}

namespace {

// The answer to a window question, given on the window's thread and awaited on the worker.
class AnswerSlot {
public:
    void give(bool yes) {
        const std::lock_guard lock(mutex_);
        if (!answer_) {
            answer_ = yes;
            given_.notify_all();
        }
    }
    // Waits for the answer; gives up (No) once `stopping` holds.
    bool await(const std::atomic<bool>& stopping) {
        std::unique_lock lock(mutex_);
        while (!answer_ && !stopping) {
            given_.wait_for(lock, std::chrono::milliseconds(20));
        }
        return answer_.value_or(false);
    }

private:
    std::mutex mutex_;
    std::condition_variable given_;
    std::optional<bool> answer_;
};

} // namespace

bool LinkRunner::askOnWindow(WindowQuestion question) {
    waitWhileHeld();
    if (quiet_ || run_->cancel.cancelled()) {
        return false;
    }
    auto slot = std::make_shared<AnswerSlot>();
    QMetaObject::invokeMethod(
        this,
        [this, slot, question = std::move(question)] {
            if (quiet_ || run_->cancel.cancelled()) {
                slot->give(false);
                return;
            }
            emit aboutToPrompt();
            question([slot](bool yes) { slot->give(yes); });
        },
        Qt::QueuedConnection);
    return slot->await(quiet_);
}

void LinkRunner::stop() {
    heldFinish_.reset();
    held_ = false;
    if (!busy_) {
        return;
    }
    quiet_ = true;
    run_->cancel.cancel();
    emit cancelling();
    // The worker may be waiting for this thread to show something: keep serving it.
    while (!workerDone_) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    setBusy(false);
}

void LinkRunner::hold() {
    held_ = true;
}

void LinkRunner::release() {
    held_ = false;
    if (auto waiting = std::exchange(heldFinish_, std::nullopt)) {
        finished(waiting->first, std::move(waiting->second));
    }
}

// Called on the worker.
void LinkRunner::waitWhileHeld() const {
    while (held_ && !quiet_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void LinkRunner::finished(std::uint64_t id, Finish finish) {
    if (id != jobId_ || !busy_) {
        return; // stopped: its outcome is not wanted any more
    }
    if (held_) {
        heldFinish_.emplace(id, std::move(finish));
        return;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    // Not busy for the Finish, so it may start the next job; the window's controls stay
    // disabled until it is done.
    busy_ = false;
    if (finish && !quiet_) {
        finish();
    }
    if (!busy_) {
        setBusy(false);
    }
}

void LinkRunner::setBusy(bool busy) {
    busy_ = busy;
    if (busy != shownBusy_) {
        shownBusy_ = busy;
        emit busyChanged(busy);
    }
}

void LinkRunner::postBytes() {
    bytesPosted_ = false;
    emit bytesMoved(bytesDone_.load(), bytesTotal_.load());
}

} // namespace tavrino::app
