#include "app/compare/comparison_view.h"

#include "app/compare/comparison_model.h"
#include "app/keyboard_context_menu.h"

#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

constexpr std::array<const char*, diffAreaCount> areaPlurals = {
    "Services", "Bouquets", "Items", "Satellites", "Transponders", "Antenna settings"};

bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// Rows of one fixed height and columns as wide as typical texts: nothing is measured over
// tens of thousands of rows.
void setUpTable(QTableView& table, QAbstractItemModel* model) {
    table.setObjectName("comparisonTable");
    table.setModel(model);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setWordWrap(false);
    table.setTabKeyNavigation(false); // Tab leaves the table, e.g. for a dialog's buttons
    table.verticalHeader()->hide();
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 6);
    table.horizontalHeader()->setStretchLastSection(true);
    // A header click sorts by its column; the third click gives the comparison's order back.
    table.horizontalHeader()->setSortIndicatorClearable(true);
    table.horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table.setSortingEnabled(true);
    // After the sort (connected before this): the current row stays in sight.
    QObject::connect(table.horizontalHeader(), &QHeaderView::sortIndicatorChanged, &table,
                     [&table] { table.scrollTo(table.currentIndex()); });
    const QFontMetrics metrics = table.fontMetrics();
    const char* typical[] = {"Transponder",       "Changed",      "Sport & Music International",
                             "132.1W 11778000 H", "Polarisation", "Sport & Music HD"};
    for (int c = 0; c < static_cast<int>(std::size(typical)); ++c) {
        table.setColumnWidth(c, metrics.horizontalAdvance(typical[c]) + 16);
    }
}

// "Sort by &Area": each entry underlines the first letter of its column no entry before took.
QString withMnemonic(const QString& name, QString& taken) {
    for (int i = 0; i < name.size(); ++i) {
        const QChar letter = name[i].toLower();
        if (letter.isLetter() && !taken.contains(letter)) {
            taken += letter;
            return QString(name).insert(i, '&');
        }
    }
    return name;
}

// The header takes no focus, so the rows' menu sorts too (Menu key, Shift+F10, right click):
// a column chosen again turns its order round. The sort in use is ticked.
void addSortMenu(QTableView& table) {
    QHeaderView* header = table.horizontalHeader();
    auto* menu = new QMenu(&table);
    menu->setObjectName("comparisonSortMenu");
    auto* group = new QActionGroup(menu);
    QString taken;
    for (int c = 0; c < table.model()->columnCount(); ++c) {
        const QString name = table.model()->headerData(c, Qt::Horizontal).toString();
        QAction* sortBy = group->addAction(menu->addAction("Sort by " + withMnemonic(name, taken)));
        QObject::connect(sortBy, &QAction::triggered, header, [header, c] {
            const bool again = header->sortIndicatorSection() == c &&
                               header->sortIndicatorOrder() == Qt::AscendingOrder;
            header->setSortIndicator(c, again ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
    }
    QAction* unsorted = group->addAction(menu->addAction(withMnemonic("Comparison Order", taken)));
    QObject::connect(unsorted, &QAction::triggered, header,
                     [header] { header->setSortIndicator(-1, Qt::AscendingOrder); });
    QObject::connect(menu, &QMenu::aboutToShow, menu, [header, group] {
        const QList<QAction*> entries = group->actions();
        const int section = header->sortIndicatorSection();
        for (int i = 0; i < entries.size(); ++i) {
            entries[i]->setCheckable(true);
            entries[i]->setChecked(i == (section >= 0 ? section : entries.size() - 1));
        }
    });
    table.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&table, &QWidget::customContextMenuRequested, menu, [&table, menu](QPoint at) {
        // A current row scrolled out of sight: the menu opens at the rows' top instead.
        menu->popup(
            table.viewport()->mapToGlobal(table.viewport()->rect().contains(at) ? at : QPoint()));
    });
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), &table);
    menuKey->setContext(Qt::WidgetShortcut);
    QObject::connect(menuKey, &QShortcut::activated, &table,
                     [&table] { openContextMenuByKeyboard(&table); });
}

} // namespace

QString countsText(const Comparison& comparison) {
    if (comparison.same()) {
        return "No differences.";
    }
    QStringList lines;
    for (std::size_t a = 0; a < diffAreaCount; ++a) {
        QStringList parts;
        for (std::size_t c = 0; c < diffChangeCount; ++c) {
            const std::size_t n =
                comparison.count(static_cast<DiffArea>(a), static_cast<DiffChange>(c));
            if (n > 0) {
                parts << QString("%1 %2").arg(n).arg(
                    QString::fromUtf8(changeText(static_cast<DiffChange>(c))).toLower());
            }
        }
        if (!parts.isEmpty()) {
            lines << QString("%1: %2").arg(areaPlurals[a], parts.join(", "));
        }
    }
    return lines.join("\n");
}

ComparisonView::ComparisonView(QWidget* parent)
    : QWidget(parent), model_(new ComparisonModel(this)), counts_(new QLabel(this)),
      area_(new QComboBox(this)), change_(new QComboBox(this)), text_(new QLineEdit(this)),
      shown_(new QLabel(this)), table_(new QTableView(this)) {
    counts_->setObjectName("comparisonCounts");
    counts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    area_->setObjectName("comparisonAreaFilter");
    area_->addItem("All areas");
    for (std::size_t a = 0; a < diffAreaCount; ++a) {
        area_->addItem(QString::fromUtf8(areaText(static_cast<DiffArea>(a))));
    }
    change_->setObjectName("comparisonChangeFilter");
    change_->addItem("All changes");
    for (std::size_t c = 0; c < diffChangeCount; ++c) {
        change_->addItem(QString::fromUtf8(changeText(static_cast<DiffChange>(c))));
    }
    text_->setObjectName("comparisonTextFilter");
    text_->setPlaceholderText("Name, place, field or value");
    text_->setClearButtonEnabled(true);
    shown_->setObjectName("comparisonShown");

    setUpTable(*table_, model_);
    addSortMenu(*table_);

    auto* filters = new QHBoxLayout;
    filters->addWidget(buddyLabel("&Area:", area_, this));
    filters->addWidget(area_);
    filters->addWidget(buddyLabel("C&hange:", change_, this));
    filters->addWidget(change_);
    filters->addWidget(buddyLabel("&Find:", text_, this));
    filters->addWidget(text_, 1);
    filters->addWidget(shown_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(counts_);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);

    connect(area_, &QComboBox::currentIndexChanged, this, &ComparisonView::applyFilter);
    connect(change_, &QComboBox::currentIndexChanged, this, &ComparisonView::applyFilter);
    connect(text_, &QLineEdit::textChanged, this, &ComparisonView::applyFilter);
    connect(table_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { rowActivated(index.row()); });
    // Enter must never reach a dialog's default button (a send preview's "Send").
    for (QWidget* w : {static_cast<QWidget*>(area_), static_cast<QWidget*>(change_),
                       static_cast<QWidget*>(text_), static_cast<QWidget*>(table_)}) {
        w->installEventFilter(this);
    }
    showCounts();
    applyFilter();
}

void ComparisonView::setComparison(Comparison comparison) {
    // The current row stays current where the new comparison still has it, else its place does.
    const int row = table_->currentIndex().row();
    const auto cells = row >= 0 ? std::optional(model_->diffRow(row).cells()) : std::nullopt;
    model_->setComparison(std::move(comparison)); // filtered as the controls stand
    showCounts();
    showShownCount();
    if (cells && model_->rowCount() > 0) {
        int again = std::min(row, model_->rowCount() - 1);
        for (int r = 0; r < model_->rowCount(); ++r) {
            if (model_->diffRow(r).cells() == *cells) {
                again = r;
                break;
            }
        }
        table_->setCurrentIndex(model_->index(again, 0));
        table_->scrollTo(table_->currentIndex());
    }
}

const Comparison& ComparisonView::comparison() const {
    return model_->comparison();
}

void ComparisonView::focusRows() {
    table_->setFocus();
}

void ComparisonView::showCounts() {
    counts_->setText(countsText(model_->comparison()));
}

void ComparisonView::applyFilter() {
    ComparisonFilter filter;
    if (area_->currentIndex() > 0) {
        filter.area = static_cast<DiffArea>(area_->currentIndex() - 1);
    }
    if (change_->currentIndex() > 0) {
        filter.change = static_cast<DiffChange>(change_->currentIndex() - 1);
    }
    filter.text = text_->text();
    model_->setFilter(std::move(filter));
    showShownCount();
}

void ComparisonView::showShownCount() {
    shown_->setText(
        QString("%1 of %2 rows").arg(model_->rowCount()).arg(model_->comparison().rows().size()));
}

void ComparisonView::rowActivated(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        return;
    }
    const DiffRow& diff = model_->diffRow(row);
    if (diff.afterService) {
        emit serviceActivated(*diff.afterService);
    } else if (diff.beforeService) {
        emit serviceNotInOpenLists();
    }
}

bool ComparisonView::eventFilter(QObject* watched, QEvent* event) {
    if (!isEnter(event)) {
        return QWidget::eventFilter(watched, event);
    }
    if (watched == table_) {
        rowActivated(table_->currentIndex().row());
    } else if (model_->rowCount() > 0) {
        // From a filter, Enter goes on to the rows it left.
        table_->setFocus(Qt::ShortcutFocusReason);
        if (!table_->currentIndex().isValid()) {
            table_->setCurrentIndex(model_->index(0, 0));
        }
    }
    return true;
}

} // namespace tavrino::app
