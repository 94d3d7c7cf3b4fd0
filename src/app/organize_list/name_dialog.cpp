#include "app/organize_list/name_dialog.h"

#include "app/screen_fit.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino::app {

NameDialog::NameDialog(QWidget* parent)
    : QDialog(parent), prompt_(new QLabel(this)), nameBox_(new QLineEdit(this)) {
    setObjectName("nameDialog");
    setWindowTitle("Tavrino");
    setModal(false);
    nameBox_->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NameDialog::submit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    prompt_->setBuddy(nameBox_);
    layout->addWidget(prompt_);
    layout->addWidget(nameBox_);
    layout->addWidget(buttons);
}

void NameDialog::ask(const QString& prompt, const QString& initialText,
                     std::function<bool(const QString&)> onOk) {
    onOk_ = std::move(onOk);
    prompt_->setText(prompt);
    nameBox_->setText(initialText);
    nameBox_->selectAll();
    if (parentWidget() != nullptr) {
        adjustSize();
        move(parentWidget()->window()->geometry().center() - rect().center());
        fitToScreen(this);
    }
    show();
    raise();
    activateWindow();
    nameBox_->setFocus();
}

void NameDialog::submit() {
    if (onOk_ && !onOk_(nameBox_->text())) {
        // Refused: the typed text stays for correcting, and the keys come back here.
        raise();
        activateWindow();
        nameBox_->setFocus();
        return;
    }
    onOk_ = nullptr;
    hide();
}

} // namespace tavrino::app
