#include "app/organize_list/service_edit_dialog.h"

#include "app/form_grid.h"
#include "app/qt_text.h"
#include "app/screen_fit.h"
#include "app/user_dialogs.h"
#include "database/option_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavrino::app {
namespace cap = service_captions;

ServiceEditDialog::ServiceEditDialog(Document& document, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), document_(document), dialogs_(dialogs) {
    setObjectName("serviceEditDialog");
    setWindowTitle("Edit");
    setModal(false);
    build();
}

void ServiceEditDialog::build() {
    FormGrid grid(this);
    name_ = grid.box(cap::name);
    countryId_ = grid.box(cap::countryId, true);
    genreId_ = grid.box(cap::genreId, true);
    provider_ = grid.box(cap::provider, true);
    satellite_ = grid.list(cap::satellite, {});

    frequency_ = new QLineEdit(this);
    frequency_->setObjectName(cap::frequency);
    auto* frequencyRow = new QHBoxLayout;
    frequencyRow->addWidget(frequency_);
    for (auto& byte : ipBytes_) {
        byte = new QLineEdit(this);
        showOnly(byte); // the address is shown; "OK" keeps the stored frequency
        byte->setMaximumWidth(48);
        frequencyRow->addWidget(byte);
    }
    frequencyCaption_ = grid.add(cap::frequency, frequencyRow);

    type_ = grid.list(cap::type, qTexts(options::serviceTypes()));
    tid_ = new QLineEdit(this);
    tid_->setObjectName(cap::tid);
    tidCaption_ = grid.add(cap::tid, tid_);
    nid_ = grid.box(cap::nid);
    sid_ = grid.box(cap::sid);
    polarization_ = grid.list(cap::polarization, qTexts(options::polarizations()));
    pmt_ = grid.box(cap::pmt);
    pcr_ = grid.box(cap::pcr);
    videoTag_ = grid.list(cap::videoTag, qTexts(options::videoCodecs()));
    vpid_ = grid.box(cap::vpid);
    audioTag_ = grid.list(cap::audioTag, qTexts(options::audioCodecs()));
    apid_ = grid.box(cap::apid);
    txt_ = grid.box(cap::txt);

    // "SD" stands opposite "HD": ticking one clears the other.
    auto* flagGrid = new QGridLayout;
    sd_ = new QCheckBox(options::sdFlagBox, this);
    int at = 0;
    for (const auto& entry : options::flagBoxes()) {
        auto* box = new QCheckBox(qText(entry.text), this);
        flags_.push_back(box);
        flagGrid->addWidget(box, at / 4, at % 4);
        ++at;
        if (entry.code == flagHd) {
            flagGrid->addWidget(sd_, at / 4, at % 4);
            ++at;
            connect(box, &QCheckBox::toggled, sd_, [this](bool hd) { sd_->setChecked(!hd); });
            connect(sd_, &QCheckBox::toggled, box, [box](bool sd) { box->setChecked(!sd); });
        }
    }
    grid.add(cap::flags, flagGrid)->setAlignment(Qt::AlignTop);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServiceEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // On a low screen the fields scroll; OK and Cancel stay in sight below them.
    auto* fields = new QWidget(this);
    fields->setObjectName("fields");
    auto* fieldsLayout = new QVBoxLayout(fields);
    fieldsLayout->setContentsMargins(0, 0, 0, 0);
    fieldsLayout->addLayout(grid.layout());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scrollable(fields), 1);
    layout->addWidget(buttons);
}

void ServiceEditDialog::openForRow(std::uint32_t tableRow) {
    const ServiceForm form = openServiceForm(document_.workspace(), tableRow);
    opened_ = form;
    fill(form);
    fitToScreen(this);
    show();
    raise();
    activateWindow();
    name_->setFocus();
}

void ServiceEditDialog::fill(const ServiceForm& form) {
    name_->setText(qText(form.name));
    countryId_->setText(qText(form.countryId));
    genreId_->setText(qText(form.genreId));
    provider_->setText(qText(form.provider));
    satellite_->clear();
    satellite_->addItems(qTexts(form.satellites));
    satellite_->setCurrentIndex(form.satellite);
    frequencyCaption_->setText(form.frequencyCaption());
    tidCaption_->setText(form.tidCaption());
    frequency_->setText(qText(form.frequency));
    frequency_->setVisible(!form.ipAddress);
    for (std::size_t i = 0; i < ipBytes_.size(); ++i) {
        ipBytes_[i]->setText(qText(form.ipBytes[i]));
        ipBytes_[i]->setVisible(form.ipAddress);
    }
    type_->setCurrentIndex(form.type);
    tid_->setText(qText(form.tid));
    nid_->setText(qText(form.nid));
    sid_->setText(qText(form.sid));
    polarization_->setCurrentIndex(form.polarization);
    pmt_->setText(qText(form.pmt));
    pcr_->setText(qText(form.pcr));
    videoTag_->setCurrentIndex(form.videoTag);
    vpid_->setText(qText(form.vpid));
    audioTag_->setCurrentIndex(form.audioTag);
    apid_->setText(qText(form.apid));
    txt_->setText(qText(form.txt));
    const auto& boxes = options::flagBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        flags_[i]->setChecked((form.flags & boxes[i].code) != 0);
    }
    sd_->setChecked(form.sd());
}

ServiceForm ServiceEditDialog::edited() const {
    ServiceForm form = *opened_;
    form.name = textOf(name_);
    form.satellite = satellite_->currentIndex();
    form.frequency = textOf(frequency_);
    form.type = type_->currentIndex();
    form.tid = textOf(tid_);
    form.nid = textOf(nid_);
    form.sid = textOf(sid_);
    form.polarization = polarization_->currentIndex();
    form.pmt = textOf(pmt_);
    form.pcr = textOf(pcr_);
    form.videoTag = videoTag_->currentIndex();
    form.vpid = textOf(vpid_);
    form.audioTag = audioTag_->currentIndex();
    form.apid = textOf(apid_);
    form.txt = textOf(txt_);
    std::uint8_t flags = 0;
    const auto& boxes = options::flagBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (flags_[i]->isChecked()) {
            flags = static_cast<std::uint8_t>(flags | boxes[i].code);
        }
    }
    form.flags = flags;
    return form;
}

void ServiceEditDialog::accept() {
    if (!opened_) {
        QDialog::accept();
        return;
    }
    const ServiceEditResult result = document_.editService(*opened_, edited());
    if (result.refusal) {
        dialogs_.tell(result.refusal->notice);
        activateWindow(); // the typed values stay for correcting
        const std::string& field = result.refusal->field;
        if (QLineEdit* at = field == opened_->tidCaption() ? tid_ : box(field.c_str())) {
            at->setFocus();
            at->selectAll();
        }
        return;
    }
    opened_.reset();
    QDialog::accept();
    if (result.stale) {
        dialogs_.tell(limitNotice("The service changed since the dialog opened; nothing was "
                                  "written !!!"));
        return;
    }
    emit serviceEdited(result);
}

void ServiceEditDialog::closeIfStale() {
    if (opened_ && isVisible() && !serviceFormCurrent(document_.workspace(), *opened_)) {
        opened_.reset();
        reject();
    }
}

bool ServiceEditDialog::isOpenFor(std::uint32_t record) const {
    return opened_ && isVisible() && opened_->record == record;
}

QLineEdit* ServiceEditDialog::box(const char* caption) const {
    return findChild<QLineEdit*>(caption);
}

QComboBox* ServiceEditDialog::list(const char* caption) const {
    return findChild<QComboBox*>(caption);
}

QCheckBox* ServiceEditDialog::flagBox(const QString& caption) const {
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        if (box->text() == caption) {
            return box;
        }
    }
    return nullptr;
}

} // namespace tavrino::app
