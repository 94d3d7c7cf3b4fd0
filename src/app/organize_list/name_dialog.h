#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;

namespace tavrino::app {

// The small "Tavrino" dialog that asks for a bouquet name, a line above the box saying which.
// It does not block the window;
// OK (or Enter) hands the text to the action it was opened for, which says whether the dialog
// may close (a refused name stays for correcting); Cancel drops it.
class NameDialog : public QDialog {
    Q_OBJECT
public:
    explicit NameDialog(QWidget* parent = nullptr);

    void ask(const QString& prompt, const QString& initialText,
             std::function<bool(const QString&)> onOk);
    QLineEdit* nameBox() const { return nameBox_; }
    QLabel* promptLabel() const { return prompt_; }

private:
    void submit();

    QLabel* prompt_;
    QLineEdit* nameBox_;
    std::function<bool(const QString&)> onOk_;
};

} // namespace tavrino::app
