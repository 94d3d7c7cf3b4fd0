#include "app/send_preview_dialog.h"

#include "app/compare/comparison_view.h"
#include "app/qt_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino::app {

QString sendPreviewNotes(const SendPreview& preview) {
    if (!preview.comparison) {
        return QString("The Orvix's files could not be read: %1\nSend replaces them all the same.")
            .arg(qText(preview.problem));
    }
    QStringList lines;
    for (const std::string& name : preview.missing) {
        lines << QString("The Orvix has no %1; it counts as empty.").arg(qText(name));
    }
    if (preview.comparison->same()) {
        lines << "The Orvix already has these lists.";
    }
    return lines.join('\n');
}

SendPreviewDialog::SendPreviewDialog(SendPreview preview, QWidget* parent)
    : QDialog(parent), notes_(new QLabel(sendPreviewNotes(preview), this)),
      view_(new ComparisonView(this)), send_(new QPushButton("Send", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("sendPreviewDialog");
    setWindowTitle("What will change on the Orvix");
    notes_->setObjectName("previewNotes");
    notes_->setWordWrap(true);
    notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notes_->setVisible(!notes_->text().isEmpty());
    send_->setObjectName("previewSendButton");
    cancel_->setObjectName("previewCancelButton");
    const bool differs = preview.comparison && !preview.comparison->same();
    if (preview.comparison) {
        view_->setComparison(std::move(*preview.comparison));
    }
    view_->setVisible(differs);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(send_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    cancel_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notes_);
    layout->addWidget(view_, 1);
    layout->addWidget(buttons);
    resize(differs ? QSize(820, 520) : QSize(420, 140));
    setTabOrder(view_, send_);
    setTabOrder(send_, cancel_);
    cancel_->setFocus();
}

} // namespace tavrino::app
