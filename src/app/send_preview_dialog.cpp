#include "app/send_preview_dialog.h"

#include "app/qt_text.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

// The comparison's rows as cells; reads them from the preview it is given.
class DiffRowModel : public QAbstractTableModel {
public:
    DiffRowModel(const std::vector<DiffRow>& rows, QObject* parent)
        : QAbstractTableModel(parent), rows_(rows) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(diffHeader.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return qText(rows_[static_cast<std::size_t>(index.row())]
                         .cells()[static_cast<std::size_t>(index.column())]);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
            return {};
        }
        const std::string_view caption = diffHeader[static_cast<std::size_t>(section)];
        return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    }

private:
    const std::vector<DiffRow>& rows_;
};

constexpr const char* areaCaptions[diffAreaCount] = {
    "Services", "Bouquets", "Bouquet items", "Satellites", "Transponders", "Antenna settings"};

QString countsLine(const Comparison& comparison, DiffArea area) {
    QStringList parts;
    for (std::size_t c = 0; c < diffChangeCount; ++c) {
        const auto change = static_cast<DiffChange>(c);
        if (const std::size_t n = comparison.count(area, change)) {
            parts << QString("%1 %2").arg(n).arg(qText(std::string(changeText(change))).toLower());
        }
    }
    return QString("%1: %2").arg(areaCaptions[static_cast<std::size_t>(area)], parts.join(", "));
}

} // namespace

QString sendPreviewSummary(const SendPreview& preview) {
    QStringList lines;
    if (!preview.comparison) {
        lines << QString("The Orvix's files could not be read: %1").arg(qText(preview.problem))
              << "Send replaces them all the same.";
        return lines.join('\n');
    }
    for (const std::string& name : preview.missing) {
        lines << QString("The Orvix has no %1; it counts as empty.").arg(qText(name));
    }
    const Comparison& comparison = *preview.comparison;
    if (comparison.same()) {
        lines << "The Orvix already has these lists.";
    }
    for (std::size_t a = 0; a < diffAreaCount; ++a) {
        if (comparison.count(static_cast<DiffArea>(a)) > 0) {
            lines << countsLine(comparison, static_cast<DiffArea>(a));
        }
    }
    return lines.join('\n');
}

SendPreviewDialog::SendPreviewDialog(SendPreview preview, QWidget* parent)
    : QDialog(parent), preview_(std::move(preview)), summary_(new QLabel(this)),
      filter_(new QLineEdit(this)), rows_(new QTableView(this)),
      send_(new QPushButton("Send", this)), cancel_(new QPushButton("Cancel", this)) {
    setObjectName("sendPreviewDialog");
    setWindowTitle("What will change on the Orvix");
    summary_->setObjectName("previewSummary");
    summary_->setText(sendPreviewSummary(preview_));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    filter_->setObjectName("previewFilter");
    filter_->setPlaceholderText("Filter the rows");
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    send_->setObjectName("previewSendButton");
    cancel_->setObjectName("previewCancelButton");

    static const std::vector<DiffRow> none;
    auto* source = new DiffRowModel(preview_.comparison ? preview_.comparison->rows() : none, this);
    auto* filtered = new QSortFilterProxyModel(this);
    filtered->setSourceModel(source);
    filtered->setFilterKeyColumn(-1);
    filtered->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(filter_, &QLineEdit::textChanged, filtered,
            &QSortFilterProxyModel::setFilterFixedString);
    rows_->setObjectName("previewRows");
    rows_->setModel(filtered);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->verticalHeader()->hide();
    rows_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    rows_->horizontalHeader()->setStretchLastSection(true);
    rows_->setWordWrap(false);
    rows_->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    rows_->setVisible(source->rowCount() > 0);
    filter_->setVisible(source->rowCount() > 0);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(send_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    cancel_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(filter_);
    layout->addWidget(rows_, 1);
    layout->addWidget(buttons);
    resize(source->rowCount() > 0 ? QSize(760, 520) : QSize(420, 140));
    setTabOrder(filter_, rows_);
    setTabOrder(rows_, send_);
    setTabOrder(send_, cancel_);
    cancel_->setFocus();
}

// Enter in the filter box only filters; it must not reach the default button.
bool SendPreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tavrino::app
