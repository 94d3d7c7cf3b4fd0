#include "app/organize_sat/transponder_panel.h"

#include "app/qt_text.h"
#include "database/option_texts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrino::app {
namespace tc = transponder_captions;

TransponderPanel::TransponderPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("transponderPanel");
    build();
    showForm(TransponderForm{});
}

void TransponderPanel::build() {
    list_ = new QListWidget(this);
    list_->setObjectName("transponderList");
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addBox = [&](const char* caption, QLineEdit*& box) {
        box = new QLineEdit(this);
        box->setObjectName(caption);
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(box, row++, 1);
    };
    const auto addList = [&](const char* caption, QComboBox*& list,
                             const std::vector<std::string>& entries) {
        list = new QComboBox(this);
        list->setObjectName(caption);
        list->addItems(qTexts(entries));
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(list, row++, 1);
    };
    addBox(tc::frequency, frequency_);
    addBox(tc::nid, nid_);
    addBox(tc::tid, tid_);
    addBox(tc::symbolRate, symbolRate_);
    addList(tc::fec, fec_, options::fecRates());
    addList(tc::polarization, polarization_, options::polarizations());
    addBox(tc::weFlag, weFlag_);
    addList(tc::pilot, pilot_, options::pilots());
    // The entry takes its satellite's position; the box only shows it.
    position_ = new QLineEdit(this);
    position_->setObjectName(tc::position);
    position_->setReadOnly(true);
    eastWest_ = new QComboBox(this);
    eastWest_->addItems(qTexts(options::eastWest()));
    eastWest_->setEnabled(false);
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(position_);
    positionRow->addWidget(eastWest_);
    grid->addWidget(new QLabel(tc::position, this), row, 0);
    grid->addLayout(positionRow, row++, 1);
    addList(tc::modulationSystem, modulationSystem_, options::modulationSystems());
    addList(tc::modulationType, modulationType_, options::modulationTypes());

    add_ = new QPushButton(tc::add, this);
    update_ = new QPushButton(tc::update, this);
    delete_ = new QPushButton(tc::remove, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(update_);
    buttons->addWidget(delete_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int picked) {
        if (workspace_ != nullptr && satellite_ && picked >= 0) {
            showForm(transponderForm(*workspace_, *satellite_, picked));
        }
    });
}

void TransponderPanel::showSatellite(const Workspace& workspace, std::optional<int> satellite,
                                     std::optional<int> select) {
    workspace_ = &workspace;
    satellite_ = satellite;
    const QSignalBlocker quiet(list_);
    list_->clear();
    if (satellite) {
        for (const auto& line : transponderLines(workspace, *satellite)) {
            list_->addItem(qText(line));
        }
    }
    const int count = list_->count();
    const int row = count == 0 ? -1 : std::min(select.value_or(count - 1), count - 1);
    list_->setCurrentRow(row);
    if (row >= 0) {
        list_->scrollToItem(list_->item(row));
        showForm(transponderForm(workspace, *satellite, row));
    } else {
        showForm(TransponderForm{});
    }
}

std::optional<int> TransponderPanel::selectedTransponder() const {
    const int row = list_->currentRow();
    return row >= 0 ? std::optional<int>(row) : std::nullopt;
}

void TransponderPanel::showForm(const TransponderForm& form) {
    opened_ = form;
    frequency_->setText(qText(form.frequency));
    nid_->setText(qText(form.nid));
    tid_->setText(qText(form.tid));
    symbolRate_->setText(qText(form.symbolRate));
    fec_->setCurrentIndex(form.fec);
    polarization_->setCurrentIndex(form.polarization);
    weFlag_->setText(qText(form.weFlag));
    pilot_->setCurrentIndex(form.pilot);
    position_->setText(qText(form.position));
    eastWest_->setCurrentIndex(form.eastWest);
    modulationSystem_->setCurrentIndex(form.modulationSystem);
    modulationType_->setCurrentIndex(form.modulationType);
}

TransponderForm TransponderPanel::edited() const {
    TransponderForm form = opened_;
    form.frequency = textOf(frequency_);
    form.nid = textOf(nid_);
    form.tid = textOf(tid_);
    form.symbolRate = textOf(symbolRate_);
    form.fec = fec_->currentIndex();
    form.polarization = polarization_->currentIndex();
    form.weFlag = textOf(weFlag_);
    form.pilot = pilot_->currentIndex();
    form.modulationSystem = modulationSystem_->currentIndex();
    form.modulationType = modulationType_->currentIndex();
    return form;
}

QLineEdit* TransponderPanel::box(const char* caption) const {
    return findChild<QLineEdit*>(caption);
}

QComboBox* TransponderPanel::choice(const char* caption) const {
    return findChild<QComboBox*>(caption);
}

} // namespace tavrino::app
