#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace tavrino::app {

class ProfileBook;

// Tab 1's profile drop-down with a read-only box over its text that names the active
// profile; a click on the box opens the drop-down, and Tab stops at the drop-down once.
class ProfilePicker : public QWidget {
    Q_OBJECT
public:
    explicit ProfilePicker(ProfileBook& book, QWidget* parent = nullptr);

    QComboBox* dropDown() const { return dropDown_; }
    QLineEdit* activeBox() const { return activeBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void showSelected(int index);

    ProfileBook& book_;
    QComboBox* dropDown_;
    QLineEdit* activeBox_;
};

} // namespace tavrino::app
