#include "app/organize_list/profile_picker.h"

#include "app/options/profile_book.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace tavrino::app {

ProfilePicker::ProfilePicker(ProfileBook& book, QWidget* parent)
    : QWidget(parent), book_(book), dropDown_(new QComboBox(this)),
      activeBox_(new QLineEdit(dropDown_)) {
    setObjectName("profilePicker");
    dropDown_->setObjectName("profileDropDown");
    dropDown_->setMinimumContentsLength(14);
    dropDown_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    activeBox_->setObjectName("activeProfileBox");
    activeBox_->setReadOnly(true);
    activeBox_->setToolTip("Active profile");
    activeBox_->setFrame(false);
    // The drop-down is the Tab stop; the box over it never takes the focus, or every Tab
    // into it would open the list again.
    activeBox_->setFocusPolicy(Qt::NoFocus);
    activeBox_->installEventFilter(this);
    dropDown_->installEventFilter(this); // keeps the box over the drop-down's text

    auto* label = new QLabel("Profile:", this);
    label->setBuddy(dropDown_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(dropDown_, 1);

    connect(dropDown_, &QComboBox::activated, &book_, &ProfileBook::select);
    connect(&book_, &ProfileBook::listChanged, this, &ProfilePicker::fill);
    connect(&book_, &ProfileBook::profileSelected, this, &ProfilePicker::showSelected);
    fill();
    showSelected(book_.selected());
}

void ProfilePicker::fill() {
    const QSignalBlocker quiet(dropDown_);
    dropDown_->clear();
    for (const auto& profile : book_.table().profiles()) {
        dropDown_->addItem(QString::fromStdString(profile.profileName));
    }
    dropDown_->setCurrentIndex(book_.selected());
}

void ProfilePicker::showSelected(int index) {
    const QSignalBlocker quiet(dropDown_);
    dropDown_->setCurrentIndex(index);
    activeBox_->setText(index >= 0 ? dropDown_->itemText(index) : QString());
    activeBox_->setCursorPosition(0);
}

// The box only names the profile: a click on it opens the drop-down under it.
bool ProfilePicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == activeBox_ && event->type() == QEvent::MouseButtonPress) {
        dropDown_->setFocus(Qt::MouseFocusReason);
        dropDown_->showPopup();
        return true;
    }
    if (watched == activeBox_ && (event->type() == QEvent::MouseButtonRelease ||
                                  event->type() == QEvent::MouseButtonDblClick)) {
        return true;
    }
    if (watched == dropDown_ && event->type() == QEvent::Resize) {
        QStyleOptionComboBox option;
        option.initFrom(dropDown_);
        activeBox_->setGeometry(dropDown_->style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, dropDown_));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tavrino::app
