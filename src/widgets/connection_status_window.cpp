#include "widgets/connection_status_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrino::widgets {

ConnectionStatusWindow::ConnectionStatusWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      text_(new QLabel(this)), bar_(new QProgressBar(this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("connectionStatusWindow");
    setWindowTitle("Tavrino");
    text_->setObjectName("statusText");
    text_->setMinimumWidth(260);
    QFont bold = text_->font();
    bold.setBold(true);
    text_->setFont(bold);
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancel_->setEnabled(false); // once is enough; the work stops at its next check
        emit cancelRequested();
    });
}

void ConnectionStatusWindow::start(const QString& text) {
    setText(text);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    cancel_->setEnabled(true);
    show();
    raise();
}

void ConnectionStatusWindow::setText(const QString& text) {
    text_->setText(text);
}

QString ConnectionStatusWindow::text() const {
    return text_->text();
}

void ConnectionStatusWindow::setBytes(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        bar_->setRange(0, 0);
        return;
    }
    // Per mille keeps large files inside the bar's int range.
    bar_->setRange(0, 1000);
    bar_->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total));
}

// Closing the window by its frame means the same as Cancel: it stays until the work ends.
void ConnectionStatusWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (cancel_->isEnabled()) {
        cancel_->click();
    }
}

} // namespace tavrino::widgets
