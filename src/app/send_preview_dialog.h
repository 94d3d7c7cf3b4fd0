#pragma once

#include "compare/send_preview.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tavrino::app {

class ComparisonView;

// What a send is about to change on the receiver, shown between the backup and the first
// upload: the comparison (counts, filters, rows), Send and Cancel. Cancel is the default
// button, so Enter never sends by accident; Escape and closing the dialog cancel too.
class SendPreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit SendPreviewDialog(SendPreview preview, QWidget* parent = nullptr);

    QLabel* notes() const { return notes_; }
    ComparisonView* view() const { return view_; }
    QPushButton* sendButton() const { return send_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QLabel* notes_;
    ComparisonView* view_;
    QPushButton* send_;
    QPushButton* cancel_;
};

// What the counts do not say: a receiver file that could not be read or is missing, or that
// nothing differs. Empty when there is nothing to add.
QString sendPreviewNotes(const SendPreview& preview);

} // namespace tavrino::app
