#include "app/organize_sat/satellite_panel.h"

#include "app/form_grid.h"
#include "app/qt_text.h"
#include "app/screen_fit.h"
#include "database/option_texts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavrino::app {
namespace ac = antenna_captions;
namespace sc = satellite_captions;

SatellitePanel::SatellitePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("satellitePanel");
    build();
    showForm(SatelliteForm{});
}

void SatellitePanel::build() {
    const auto box = [this](const char* name) {
        auto* b = new QLineEdit(this);
        b->setObjectName(name);
        return b;
    };
    auto* header = new QGridLayout;
    longitude_ = box(sc::longitude);
    latitude_ = box(sc::latitude);
    maxSat_ = box(sc::maxSat);
    maxSat_->setReadOnly(true);
    header->addWidget(new QLabel(sc::longitude, this), 0, 0);
    header->addWidget(longitude_, 0, 1);
    header->addWidget(new QLabel(sc::latitude, this), 0, 2);
    header->addWidget(latitude_, 0, 3);
    header->addWidget(new QLabel(sc::maxSat, this), 0, 4);
    header->addWidget(maxSat_, 0, 5);

    auto* identity = new QHBoxLayout;
    name_ = box(sc::name);
    position_ = box(sc::position);
    position_->setMaximumWidth(70);
    eastWest_ = new QComboBox(this);
    eastWest_->setObjectName("E/W");
    eastWest_->addItems(qTexts(options::eastWest()));
    identity->addWidget(name_, 3);
    identity->addWidget(position_, 1);
    identity->addWidget(eastWest_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(header);
    layout->addLayout(identity);
    // On a low screen the fields scroll (Combination shows three more lists), the buttons stay.
    layout->addWidget(scrollable(antennaControls()));
    // Made after the fields, so Tab reaches the buttons after the fields they act on.
    add_ = new QPushButton(sc::add, this);
    update_ = new QPushButton(sc::update, this);
    delete_ = new QPushButton(sc::remove, this);
    layout->addLayout(buttonRow({add_, update_, delete_}));
    layout->addStretch(1);
}

QWidget* SatellitePanel::antennaControls() {
    auto* group = new QGroupBox(this);
    group->setObjectName("antennaControls");
    FormGrid grid(group);
    const auto list = [&](const char* caption, const std::vector<std::string>& entries,
                          bool labelled = true) {
        QComboBox* l = grid.list(caption, qTexts(entries), labelled);
        connect(l, &QComboBox::currentIndexChanged, this, &SatellitePanel::applyControlRules);
        return l;
    };
    netIndex_ = grid.box(ac::netIndex);
    nitSearch_ = list(ac::nitSearch, options::offOn());
    tunerSelect_ = grid.box(ac::tunerSelect);
    lnbType_ = list(ac::lnbType, options::lnbTypes());
    lnbFrequency_ = grid.box(ac::lnbFrequency);
    power_ = list(ac::power, options::offOn());
    tone22k_ = list(ac::tone22k, options::offOn());
    switch12v_ = list(ac::switch12v, options::switch12v());
    diseqc_ = list(ac::diseqc, options::diseqcPorts());
    committed_ = list(ac::committed, options::committedSwitches(), false);
    uncommitted_ = list(ac::uncommitted, options::uncommittedSwitches(), false);
    order_ = list(ac::order, options::combinationOrders(), false);
    motor_ = list(ac::motor, options::motorModes());
    motorPosition_ = grid.box(ac::motorPosition);
    group->setLayout(grid.layout());
    // A motor setting the user picks other than "DiSEqC 1.2" clears the position box.
    connect(motor_, &QComboBox::activated, this, [this](int picked) {
        AntennaForm form = edited().antenna;
        chooseMotor(form, picked);
        motorPosition_->setText(qText(form.motorPosition));
    });
    return group;
}

void SatellitePanel::showForm(const SatelliteForm& form) {
    opened_ = form;
    longitude_->setText(qText(form.longitude));
    latitude_->setText(qText(form.latitude));
    maxSat_->setText(qText(form.maxSat));
    name_->setText(qText(form.name));
    position_->setText(qText(form.position));
    eastWest_->setCurrentIndex(form.eastWest);
    const AntennaForm& a = form.antenna;
    netIndex_->setText(qText(a.netIndex));
    nitSearch_->setCurrentIndex(a.nitSearch);
    tunerSelect_->setText(qText(a.tunerSelect));
    lnbType_->setCurrentIndex(a.lnbType);
    lnbFrequency_->setText(qText(a.lnbFrequency));
    power_->setCurrentIndex(a.power);
    tone22k_->setCurrentIndex(a.tone22k);
    switch12v_->setCurrentIndex(a.switch12v);
    diseqc_->setCurrentIndex(a.diseqc);
    committed_->setCurrentIndex(a.committed);
    uncommitted_->setCurrentIndex(a.uncommitted);
    order_->setCurrentIndex(a.order);
    motor_->setCurrentIndex(a.motor);
    motorPosition_->setText(qText(a.motorPosition));
    applyControlRules();
}

SatelliteForm SatellitePanel::edited() const {
    SatelliteForm form = opened_;
    form.longitude = textOf(longitude_);
    form.latitude = textOf(latitude_);
    form.name = textOf(name_);
    form.position = textOf(position_);
    form.eastWest = eastWest_->currentIndex();
    AntennaForm& a = form.antenna;
    a.netIndex = textOf(netIndex_);
    a.nitSearch = nitSearch_->currentIndex();
    a.tunerSelect = textOf(tunerSelect_);
    a.lnbType = lnbType_->currentIndex();
    a.lnbFrequency = textOf(lnbFrequency_);
    a.power = power_->currentIndex();
    a.tone22k = tone22k_->currentIndex();
    a.switch12v = switch12v_->currentIndex();
    a.diseqc = diseqc_->currentIndex();
    a.committed = committed_->currentIndex();
    a.uncommitted = uncommitted_->currentIndex();
    a.order = order_->currentIndex();
    a.motor = motor_->currentIndex();
    a.motorPosition = textOf(motorPosition_);
    return form;
}

void SatellitePanel::applyControlRules() {
    const AntennaControls rules = tavrino::antennaControls(edited().antenna);
    lnbFrequency_->setEnabled(rules.lnbFrequencyEnabled);
    motorPosition_->setEnabled(rules.motorPositionEnabled);
    for (QComboBox* list : {committed_, uncommitted_, order_}) {
        list->setVisible(rules.switchesVisible);
    }
}

QLineEdit* SatellitePanel::box(const char* caption) const {
    return findChild<QLineEdit*>(caption);
}

QComboBox* SatellitePanel::list(const char* caption) const {
    return findChild<QComboBox*>(caption);
}

} // namespace tavrino::app
