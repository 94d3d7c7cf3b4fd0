#pragma once

#include "reference/bouquet_apply.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace tavrino::app {

// What applying a reference list would do, before anything is written: per bouquet what
// happens to it and how many rows were found, found only by a weaker rule or not found, then
// the rows that need a look. "Replace all bouquets" plans again; "Apply" accepts the plan
// shown, "Cancel" drops it.
class ApplyPreviewDialog : public QDialog {
    Q_OBJECT
public:
    using Planner = std::function<ApplyPlan(bool replaceAll)>;

    ApplyPreviewDialog(const QString& listName, Planner planner, QWidget* parent = nullptr);

    const ApplyPlan& plan() const { return plan_; }
    QTreeWidget* bouquetTable() const { return bouquets_; }
    QTreeWidget* rowTable() const { return rows_; }
    QCheckBox* replaceAllBox() const { return replaceAll_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void replan();
    void fillBouquets();
    void fillRows();

    Planner planner_;
    ApplyPlan plan_;
    QLabel* summary_;
    QTreeWidget* bouquets_;
    QTreeWidget* rows_;
    QCheckBox* replaceAll_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

} // namespace tavrino::app
