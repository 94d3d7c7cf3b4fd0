#include "app/organize_sat/kingofsat_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrino::app {

KingOfSatWindow::KingOfSatWindow(const SatList& satList, const std::vector<int>& selected,
                                 QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), download_(new QPushButton("Download", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("kingOfSatWindow");
    setWindowTitle("Import from KingOfSat");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    resize(300, 480);
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const SatListEntry& entry : satList.entries) {
        list_->addItem(QString::fromStdString(entry.label));
    }
    for (const int entry : selected) {
        if (QListWidgetItem* item = list_->item(entry)) {
            item->setSelected(true);
        }
    }
    auto* layout = new QVBoxLayout(this);
    for (const std::string& note : satList.notes) { // lines beyond the 257 the list holds
        auto* label = new QLabel(QString::fromStdString(note), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(download_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    // Nothing chosen would download nothing and leave no satellites at all.
    const auto enable = [this] { download_->setEnabled(!list_->selectedItems().isEmpty()); };
    connect(list_, &QListWidget::itemSelectionChanged, this, enable);
    enable();
    connect(download_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<int> KingOfSatWindow::selected() const {
    std::vector<int> rows;
    for (const QListWidgetItem* item : list_->selectedItems()) {
        rows.push_back(list_->row(item));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace tavrino::app
