#include "app/organize_sat/transponder_panel.h"

#include "app/form_grid.h"
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
    FormGrid grid(this);
    frequency_ = grid.box(tc::frequency);
    nid_ = grid.box(tc::nid);
    tid_ = grid.box(tc::tid);
    symbolRate_ = grid.box(tc::symbolRate);
    fec_ = grid.list(tc::fec, qTexts(options::fecRates()));
    polarization_ = grid.list(tc::polarization, qTexts(options::polarizations()));
    weFlag_ = grid.box(tc::weFlag);
    pilot_ = grid.list(tc::pilot, qTexts(options::pilots()));
    // The entry takes its satellite's position; the boxes only show it.
    position_ = new QLineEdit(this);
    position_->setObjectName(tc::position);
    position_->setReadOnly(true);
    eastWest_ = new QComboBox(this);
    eastWest_->addItems(qTexts(options::eastWest()));
    eastWest_->setEnabled(false);
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(position_);
    positionRow->addWidget(eastWest_);
    grid.add(tc::position, positionRow);
    modulationSystem_ = grid.list(tc::modulationSystem, qTexts(options::modulationSystems()));
    modulationType_ = grid.list(tc::modulationType, qTexts(options::modulationTypes()));

    add_ = new QPushButton(tc::add, this);
    update_ = new QPushButton(tc::update, this);
    delete_ = new QPushButton(tc::remove, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(grid.layout());
    layout->addLayout(buttonRow({add_, update_, delete_}));

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
