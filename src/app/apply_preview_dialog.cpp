#include "app/apply_preview_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

QTreeWidget* table(const QStringList& headers, QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setHeaderLabels(headers);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

ApplyPreviewDialog::ApplyPreviewDialog(const QString& listName, Planner planner, QWidget* parent)
    : QDialog(parent), planner_(std::move(planner)), summary_(new QLabel(this)),
      bouquets_(table(
          {"Bouquet", "Action", "Found", "Found by a weaker rule", "Not found", "Left out"}, this)),
      rows_(table({"Line", "Bouquet", "Item", "Name", "Result"}, this)),
      replaceAll_(new QCheckBox("Replace all bouquets", this)),
      apply_(new QPushButton("Apply", this)), cancel_(new QPushButton("Cancel", this)) {
    setObjectName("applyPreviewDialog");
    setWindowTitle("Apply Bouquets: " + listName);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(apply_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(replaceAll_, &QCheckBox::toggled, this, &ApplyPreviewDialog::replan);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(bouquets_, 3);
    layout->addWidget(new QLabel("Rows not found, found by a weaker rule or left out:", this));
    layout->addWidget(rows_, 2);
    layout->addWidget(replaceAll_);
    layout->addWidget(buttons);
    resize(760, 560);
    replan();
}

void ApplyPreviewDialog::replan() {
    plan_ = planner_(replaceAll_->isChecked());
    fillBouquets();
    fillRows();
}

void ApplyPreviewDialog::fillBouquets() {
    bouquets_->clear();
    int found = 0;
    int weaker = 0;
    int notFound = 0;
    for (const BouquetOutcome& b : plan_.bouquets) {
        const bool listed = b.fate != BouquetFate::Kept && b.fate != BouquetFate::Removed;
        const auto count = [&](int n) { return listed ? QString::number(n) : QString(); };
        auto* item =
            new QTreeWidgetItem(bouquets_, {text(b.name), text(fateText(b.fate)), count(b.found),
                                            count(b.weaker), count(b.notFound), count(b.leftOut)});
        for (int c = 2; c < bouquets_->columnCount(); ++c) {
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        found += b.found;
        weaker += b.weaker;
        notFound += b.notFound;
    }
    summary_->setText(QString("%1 services found, %2 found by a weaker rule, %3 not found.")
                          .arg(found)
                          .arg(weaker)
                          .arg(notFound));
}

void ApplyPreviewDialog::fillRows() {
    rows_->clear();
    for (const RowOutcome& row : plan_.rows) {
        if (row.result == RowResult::Found || row.result == RowResult::NoItems ||
            row.result == RowResult::Removed) {
            continue;
        }
        auto* item =
            new QTreeWidgetItem(rows_, {QString::number(row.line), text(row.bouquet),
                                        text(row.item), text(row.name), text(resultText(row))});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

} // namespace tavrino::app
