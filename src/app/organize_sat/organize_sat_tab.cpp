#include "app/organize_sat/organize_sat_tab.h"

#include "app/organize_sat/satellite_importer.h"
#include "app/organize_sat/satellite_panel.h"
#include "app/organize_sat/transponder_panel.h"
#include "app/user_dialogs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

void fillList(QListWidget* list, const std::vector<std::string>& lines) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (const auto& line : lines) {
        list->addItem(QString::fromStdString(line));
    }
}

void selectRow(QListWidget* list, int row) {
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row < list->count() ? row : -1);
    if (QListWidgetItem* item = list->currentItem()) {
        list->scrollToItem(item);
    }
}

} // namespace

OrganizeSatTab::OrganizeSatTab(Document& document, UserDialogs& dialogs, const QString& dataFolder,
                               QWidget* parent)
    : QWidget(parent), document_(document), dialogs_(dialogs), satellites_(new QListWidget(this)),
      antennas_(new QListWidget(this)), satellitePanel_(new SatellitePanel(this)),
      transponderPanel_(new TransponderPanel(this)),
      open_(new QPushButton("Open : antenna_list.dat  &&  DVBS.dat", this)),
      save_(new QPushButton("Save : antenna_list.dat  &&  DVBS.dat", this)),
      importXml_(new QPushButton("Import from satellites.xml", this)),
      importKingOfSat_(new QPushButton("Import from KingOfSat", this)),
      importer_(new SatelliteImporter(document, dialogs, dataFolder, this)) {
    setObjectName("organizeSatTab");
    satellites_->setObjectName("satelliteList");
    antennas_->setObjectName("antennaList");
    open_->setObjectName("openSatelliteFilesButton");
    save_->setObjectName("saveSatelliteFilesButton");
    importXml_->setObjectName("importXmlButton");
    importKingOfSat_->setObjectName("importKingOfSatButton");

    auto* lists = new QVBoxLayout;
    lists->addWidget(new QLabel("Satellites", this));
    lists->addWidget(satellites_, 3);
    lists->addWidget(new QLabel("antenna_list.dat", this));
    lists->addWidget(antennas_, 2);

    auto* editors = new QHBoxLayout;
    editors->addLayout(lists, 2);
    editors->addWidget(satellitePanel_, 3);
    editors->addWidget(transponderPanel_, 2);

    auto* files = new QHBoxLayout;
    files->addWidget(open_);
    files->addWidget(save_);
    files->addStretch(1);
    files->addWidget(importXml_);
    files->addWidget(importKingOfSat_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(editors, 1);
    layout->addLayout(files);

    connect(open_, &QPushButton::clicked, this, &OrganizeSatTab::openSatelliteFilesRequested);
    connect(save_, &QPushButton::clicked, this, &OrganizeSatTab::saveSatelliteFilesRequested);
    // Either list chooses the satellite, so the two never disagree about which one Update
    // writes.
    for (QListWidget* list : {satellites_, antennas_}) {
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) {
                showSatellite(row);
            }
        });
    }
    connectEditors();
    connectImports();
    listSatellites(std::nullopt);
}

void OrganizeSatTab::connectImports() {
    connect(importXml_, &QPushButton::clicked, importer_, &SatelliteImporter::importXml);
    connect(importKingOfSat_, &QPushButton::clicked, importer_,
            &SatelliteImporter::importKingOfSat);
    connect(importer_, &SatelliteImporter::busyChanged, this, [this](bool busy) {
        importXml_->setEnabled(!busy);
        importKingOfSat_->setEnabled(!busy);
    });
    connect(importer_, &SatelliteImporter::imported, this, [this] { selectSatellite({}); });
}

void OrganizeSatTab::setStartFolder(std::function<QString()> folder) {
    importer_->setStartFolder(std::move(folder));
}

void OrganizeSatTab::connectEditors() {
    connect(satellitePanel_->addButton(), &QPushButton::clicked, this, [this] {
        const SatelliteChange change = document_.addSatellite(satellitePanel_->edited());
        if (!refused(change.refusal, satellitePanel_) && change.written) {
            selectSatellite(change.select);
        }
    });
    connect(satellitePanel_->updateButton(), &QPushButton::clicked, this, [this] {
        const SatelliteChange change =
            document_.updateSatellite(satellitePanel_->opened(), satellitePanel_->edited());
        if (!refused(change.refusal, satellitePanel_) && change.written) {
            selectSatellite(change.select, transponderPanel_->selectedTransponder());
        }
    });
    connect(satellitePanel_->deleteButton(), &QPushButton::clicked, this, [this] {
        const auto satellite = selectedSatellite();
        if (!satellite) {
            return;
        }
        const SatelliteChange change = document_.deleteSatellite(*satellite);
        if (!refused(change.refusal, satellitePanel_) && change.written) {
            selectSatellite(change.select);
        }
    });
    const auto transponderChange = [this](const TransponderChange& change) {
        if (!refused(change.refusal, transponderPanel_) && change.written) {
            selectSatellite(selectedSatellite(), change.select);
        }
    };
    connect(transponderPanel_->addButton(), &QPushButton::clicked, this, [=, this] {
        if (const auto satellite = selectedSatellite()) {
            transponderChange(document_.addTransponder(*satellite, transponderPanel_->edited()));
        }
    });
    connect(transponderPanel_->updateButton(), &QPushButton::clicked, this, [=, this] {
        const auto satellite = selectedSatellite();
        const auto transponder = transponderPanel_->selectedTransponder();
        if (satellite && transponder) {
            transponderChange(document_.updateTransponder(*satellite, *transponder,
                                                          transponderPanel_->opened(),
                                                          transponderPanel_->edited()));
        }
    });
    connect(transponderPanel_->deleteButton(), &QPushButton::clicked, this, [=, this] {
        const auto satellite = selectedSatellite();
        const auto transponder = transponderPanel_->selectedTransponder();
        if (satellite && transponder) {
            transponderChange(document_.deleteTransponder(*satellite, *transponder));
        }
    });
}

bool OrganizeSatTab::refused(const std::optional<FieldRefusal>& refusal, QWidget* panel) {
    if (!refusal) {
        return false;
    }
    dialogs_.tell(refusal->notice);
    // The cursor goes to the refused box, its text selected for correcting.
    if (auto* box = panel->findChild<QLineEdit*>(QString::fromStdString(refusal->field))) {
        box->setFocus();
        box->selectAll();
    } else if (auto* list = panel->findChild<QComboBox*>(QString::fromStdString(refusal->field))) {
        list->setFocus();
    }
    return true;
}

std::optional<int> OrganizeSatTab::selectedSatellite() const {
    const int row =
        satellites_->currentRow() >= 0 ? satellites_->currentRow() : antennas_->currentRow();
    return row >= 0 ? std::optional<int>(row) : std::nullopt;
}

void OrganizeSatTab::listSatellites(std::optional<int> select, std::optional<int> transponder) {
    fillList(satellites_, satelliteLines(workspace()));
    fillList(antennas_, antennaLines(workspace()));
    const int count = std::max(satellites_->count(), antennas_->count());
    if (count == 0) {
        satellitePanel_->showForm(satelliteForm(workspace(), std::nullopt));
        transponderPanel_->showSatellite(workspace(), std::nullopt);
        return;
    }
    showSatellite(std::clamp(select.value_or(count - 1), 0, count - 1), transponder);
}

void OrganizeSatTab::showSatellite(int index, std::optional<int> transponder) {
    selectRow(satellites_, index);
    selectRow(antennas_, index);
    satellitePanel_->showForm(satelliteForm(workspace(), index));
    transponderPanel_->showSatellite(workspace(), index, transponder);
}

void OrganizeSatTab::selectSatellite(std::optional<int> satellite, std::optional<int> transponder) {
    const int count = std::max(satellites_->count(), antennas_->count());
    if (count == 0) {
        return;
    }
    const int row = std::clamp(satellite.value_or(count - 1), 0, count - 1);
    if (row != selectedSatellite()) {
        showSatellite(row, transponder);
        return;
    }
    // The satellite shown already: only the transponder, as a click on it does.
    QListWidget* list = transponderPanel_->list();
    if (transponder && *transponder < list->count() && *transponder != list->currentRow()) {
        list->setCurrentRow(*transponder);
        list->scrollToItem(list->currentItem());
    }
}

void OrganizeSatTab::showChange(const Change& change) {
    if (change.databaseReplaced ||
        (change.kind == Change::Kind::Open && change.satellitesChanged)) {
        listSatellites(std::nullopt); // the last satellite, as after any open
    } else if (change.satellitesChanged) {
        listSatellites(selectedSatellite(), transponderPanel_->selectedTransponder());
    }
}

} // namespace tavrino::app
