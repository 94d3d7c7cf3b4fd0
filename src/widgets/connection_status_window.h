#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrino::widgets {

// The connection status window: one line of status text, the bytes of the current file as a
// bar, and Cancel. It shows what it is told and has no logic of its own.
class ConnectionStatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionStatusWindow(QWidget* parent = nullptr);

    // Shows the window afresh: the text, an empty bar and Cancel enabled.
    void start(const QString& text);
    void setText(const QString& text);
    QString text() const;
    // total 0: the size is not known yet, and the bar just shows activity.
    void setBytes(std::uint64_t done, std::uint64_t total);

    QProgressBar* progressBar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

} // namespace tavrino::widgets
