#include "app/compare/compare_window.h"

#include "app/busy_cursor.h"
#include "app/compare/comparison_view.h"
#include "app/user_dialogs.h"
#include "common/csv.h"
#include "database/file_io.h"
#include "database/file_problem.h"
#include "workspace/workspace.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino::app {

std::string comparisonCsv(const Comparison& comparison) {
    std::string text = csv::record({diffHeader.begin(), diffHeader.end()}, "\n");
    for (const DiffRow& row : comparison.rows()) {
        const auto cells = row.cells();
        text += csv::record({cells.begin(), cells.end()}, "\n");
    }
    return text;
}

CompareWindow::CompareWindow(const QString& title, std::shared_ptr<const Workspace> before,
                             const Workspace& open, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), before_(std::move(before)), open_(open), dialogs_(dialogs),
      view_(new ComparisonView(this)), staleText_(new QLabel(this)),
      refresh_(new QPushButton("&Refresh", this)), message_(new QLabel(this)),
      note_(new QLabel(this)) {
    setObjectName("compareWindow");
    setWindowTitle(title);
    auto* save = new QPushButton("Save as &CSV...", this);
    save->setObjectName("saveComparisonButton");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("closeComparisonButton");
    refresh_->setObjectName("refreshComparisonButton");
    // Enter belongs to the rows; no button takes it.
    for (QPushButton* b : {save, close, refresh_}) {
        b->setAutoDefault(false);
    }
    staleText_->setObjectName("comparisonStale");
    staleText_->setText("The open lists have changed since. Refresh");
    QFont bold = staleText_->font();
    bold.setBold(true);
    staleText_->setFont(bold);
    message_->setObjectName("comparisonMessage");
    note_->setObjectName("comparisonNote");
    note_->hide();

    auto* staleRow = new QHBoxLayout;
    staleRow->addWidget(staleText_, 1);
    staleRow->addWidget(refresh_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(message_, 1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note_);
    layout->addWidget(view_, 1);
    layout->addLayout(staleRow);
    layout->addLayout(buttons);

    connect(save, &QPushButton::clicked, this, &CompareWindow::saveCsv);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(refresh_, &QPushButton::clicked, this, &CompareWindow::compare);
    connect(view_, &ComparisonView::serviceActivated, this, [this](std::uint32_t row) {
        if (!stale_) {
            message_->clear();
            emit serviceActivated(row);
        }
    });
    connect(view_, &ComparisonView::serviceNotInOpenLists, this,
            [this] { message_->setText("That service is not in the open lists."); });
    resize(900, 520);
    compare();
}

void CompareWindow::compare() {
    {
        const BusyCursor busy;
        view_->setComparison(compareWorkspaces(*before_, open_));
    }
    stale_ = false;
    staleText_->hide();
    refresh_->hide(); // the focus goes on to the rows, not to the next button
    view_->focusRows();
}

void CompareWindow::setNote(const QString& text) {
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

void CompareWindow::listsChanged(const Change& change) {
    if (change.kind == Change::Kind::Save || stale_) {
        return;
    }
    stale_ = true;
    staleText_->show();
    refresh_->show();
}

void CompareWindow::saveCsv() {
    const DialogsOn on(dialogs_, this);
    const auto path =
        dialogs_.chooseCsvToWrite("Save Comparison", QDir(csvFolder_).filePath("comparison.csv"));
    if (!path) {
        return;
    }
    const std::string text = comparisonCsv(view_->comparison());
    try {
        (void)writeFileAtomically(
            *path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const FileProblem& problem) {
        message_->clear();
        dialogs_.tell(problem.notice());
        return;
    }
    csvFolder_ = QString::fromStdString(path->parent_path().string());
    message_->setText(QString("%1 rows saved to %2")
                          .arg(view_->comparison().rows().size())
                          .arg(QString::fromStdString(path->string())));
}

} // namespace tavrino::app
