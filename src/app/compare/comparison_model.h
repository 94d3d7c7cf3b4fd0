#pragma once

#include "compare/comparison.h"

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrino::app {

// Which rows of a comparison to show.
struct ComparisonFilter {
    std::optional<DiffArea> area;
    std::optional<DiffChange> change;
    QString text; // in any cell, case ignored
};

// The rows of a comparison that pass the filter, in the columns of diffHeader. The model holds
// indices into the comparison's rows, so tens of thousands of rows cost no widgets and a new
// filter is one pass over plain strings.
class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ComparisonModel(QObject* parent = nullptr);

    void setComparison(Comparison comparison);
    const Comparison& comparison() const { return comparison_; }
    void setFilter(ComparisonFilter filter);
    // The comparison's row shown at `row` of the model.
    const DiffRow& diffRow(int row) const;
    // Column -1 is the comparison's own order (by area, then place).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void refilter();
    void sortShown();
    bool passes(const DiffRow& row) const;

    Comparison comparison_;
    ComparisonFilter filter_;
    bool asciiText_ = true;
    std::string asciiNeedle_; // the text lowered, when it is plain ASCII
    std::vector<std::uint32_t> shown_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace tavrino::app
