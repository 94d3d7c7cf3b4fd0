#pragma once

#include "compare/comparison.h"

#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace tavrino::app {

class ComparisonModel;

// A comparison as a person reads it: counts per area at the top, a filter by area, by change
// and by text, and the rows in a table with the columns of diffHeader.
class ComparisonView : public QWidget {
    Q_OBJECT
public:
    explicit ComparisonView(QWidget* parent = nullptr);
    void setComparison(tavrino::Comparison comparison);
    const tavrino::Comparison& comparison() const;
    // The cursor into the rows: arrows and Enter work at once. Tab still reaches the filters.
    void focusRows();

signals:
    // Double click or Enter on a row that names a service of the "after" side.
    void serviceActivated(std::uint32_t serviceRow);
    // The same on a service that only the "before" side has.
    void serviceNotInOpenLists();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();
    void rowActivated(int row);
    void showCounts();
    void showShownCount();

    ComparisonModel* model_;
    QLabel* counts_;
    QComboBox* area_;
    QComboBox* change_;
    QLineEdit* text_;
    QLabel* shown_;
    QTableView* table_;
};

// "Services: 3 added, 2 removed, 5 changed", a line per area that differs; "No differences."
QString countsText(const Comparison& comparison);

} // namespace tavrino::app
