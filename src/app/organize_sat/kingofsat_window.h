#pragma once

#include "import/kingofsat.h"

#include <QDialog>
#include <vector>

class QListWidget;
class QPushButton;

namespace tavrino::app {

// The KingOfSat selection window: the labels of SATList.ini, the entries of Sel.ini
// selected, "Download", which accepts the selection, and "Cancel", which drops it.
class KingOfSatWindow : public QDialog {
    Q_OBJECT
public:
    KingOfSatWindow(const SatList& satList, const std::vector<int>& selected,
                    QWidget* parent = nullptr);

    std::vector<int> selected() const; // entry numbers, increasing
    QListWidget* list() const { return list_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QListWidget* list_;
    QPushButton* download_;
    QPushButton* cancel_;
};

} // namespace tavrino::app
