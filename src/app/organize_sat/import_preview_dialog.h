#pragma once

#include "import/satellite_import.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavrino::app {

// What an import would do, before anything changes: the satellites found with a check box
// each, what they change against the current lists, and the notes of the reading. "Import"
// accepts the choice; "Cancel" leaves everything as it was.
class ImportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    ImportPreviewDialog(const Workspace& workspace, ImportedList list, const QString& title,
                        QWidget* parent = nullptr);

    const ImportedList& list() const { return list_; }
    const ImportChoice& choice() const { return choice_; }

    QTreeWidget* satelliteList() const { return satellites_; }
    QCheckBox* keepAntennaBox() const { return keepAntenna_; }
    QLabel* summary() const { return summary_; }
    QPlainTextEdit* notes() const { return notes_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void fillSatellites();
    void ticked(QTreeWidgetItem* item);
    // The preview again for the current choice: the change columns, summary and notes.
    void refresh();

    const Workspace& workspace_;
    ImportedList list_;
    ImportChoice choice_;
    QTreeWidget* satellites_;
    QCheckBox* keepAntenna_;
    QLabel* summary_;
    QPlainTextEdit* notes_;
    QPushButton* import_;
    QPushButton* cancel_;
};

} // namespace tavrino::app
