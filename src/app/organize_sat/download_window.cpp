#include "app/organize_sat/download_window.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

namespace tavrino::app {
namespace {

// Hands the worker's progress to the window's thread; events posted to a window that is gone
// are dropped with it.
class Relay : public DownloadProgress {
public:
    Relay(QObject* window, const std::atomic<bool>& cancelled,
          std::function<void(int, int, QString)> show)
        : window_(window), cancelled_(cancelled), show_(std::move(show)) {}

    void downloading(std::size_t done, std::size_t total, const std::string& label) override {
        QMetaObject::invokeMethod(
            window_,
            [show = show_, done = static_cast<int>(done), total = static_cast<int>(total),
             text = QString::fromStdString(label)] { show(done, total, text); },
            Qt::QueuedConnection);
    }
    bool cancelled() const override { return cancelled_; }

private:
    QObject* window_;
    const std::atomic<bool>& cancelled_;
    std::function<void(int, int, QString)> show_;
};

} // namespace

DownloadWindow::DownloadWindow(SatList satList, std::vector<int> chosen, HttpOptions options,
                               QWidget* parent)
    : QDialog(parent), satList_(std::move(satList)), chosen_(std::move(chosen)), options_(options),
      bar_(new QProgressBar(this)), current_(new QLabel(this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("downloadWindow");
    setWindowTitle("Import from KingOfSat");
    setMinimumWidth(360);
    bar_->setRange(0, static_cast<int>(chosen_.size()));
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(current_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, &DownloadWindow::reject);
}

DownloadWindow::~DownloadWindow() {
    cancelled_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void DownloadWindow::start() {
    worker_ = std::thread([this] {
        Relay relay(this, cancelled_, [this](int done, int total, const QString& label) {
            showProgress(done, total, label);
        });
        outcome_ = downloadLists(satList_, chosen_, options_, relay);
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
    });
}

void DownloadWindow::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    cancelled_ = true;
    cancel_->setEnabled(false);
    current_->setText("Cancelling...");
}

void DownloadWindow::showProgress(int done, int total, const QString& label) {
    bar_->setMaximum(total);
    bar_->setValue(done);
    if (!label.isEmpty() && !cancelled_) {
        current_->setText(QString("Downloading %1 of %2: %3").arg(done + 1).arg(total).arg(label));
    }
}

void DownloadWindow::finish() {
    worker_.join();
    finished_ = true;
    outcome_.cancelled = outcome_.cancelled || cancelled_;
    hide();
    emit downloaded();
}

} // namespace tavrino::app
