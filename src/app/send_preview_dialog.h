#pragma once

#include "compare/send_preview.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tavrino::app {

// What a send is about to change on the receiver, shown between the backup and the first
// upload: counts per area, the rows with a filter, Send and Cancel. Cancel is the default
// button, so Enter never sends by accident; Escape and closing the dialog cancel too.
class SendPreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit SendPreviewDialog(SendPreview preview, QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QLineEdit* filterBox() const { return filter_; }
    QTableView* rowTable() const { return rows_; }
    QPushButton* sendButton() const { return send_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SendPreview preview_;
    QLabel* summary_;
    QLineEdit* filter_;
    QTableView* rows_;
    QPushButton* send_;
    QPushButton* cancel_;
};

// The summary's text: what could not be read or is missing, then the counts per area, or that
// nothing differs.
QString sendPreviewSummary(const SendPreview& preview);

} // namespace tavrino::app
