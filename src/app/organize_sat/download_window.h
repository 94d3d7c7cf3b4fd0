#pragma once

#include "import/kingofsat.h"

#include <QDialog>
#include <atomic>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrino::app {

// Downloads the chosen KingOfSat lists on a worker thread while the window shows which one
// is on its way; Cancel (or closing the window) stops the download.
class DownloadWindow : public QDialog {
    Q_OBJECT
public:
    DownloadWindow(SatList satList, std::vector<int> chosen, HttpOptions options,
                   QWidget* parent = nullptr);
    ~DownloadWindow() override; // stops the worker and waits for it

    void start();
    const DownloadOutcome& outcome() const { return outcome_; }

    QProgressBar* progressBar() const { return bar_; }
    QLabel* current() const { return current_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    void downloaded(); // outcome() is complete, cancelled or not, and the window hidden

public slots:
    void reject() override; // the window stays until the worker has stopped

private:
    void showProgress(int done, int total, const QString& label);
    void finish();

    SatList satList_;
    std::vector<int> chosen_;
    HttpOptions options_;
    DownloadOutcome outcome_; // written by the worker before it posts finish()
    std::atomic<bool> cancelled_{false};
    bool finished_ = false;
    std::thread worker_;
    QProgressBar* bar_;
    QLabel* current_;
    QPushButton* cancel_;
};

} // namespace tavrino::app
