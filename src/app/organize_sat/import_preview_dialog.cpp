#include "app/organize_sat/import_preview_dialog.h"

#include "database/transponder_file.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrino::app {
namespace {

enum Column { Name, Position, Transponders, Changes, Services, Antenna, ColumnCount };

QString positionText(std::int32_t tenths) {
    const PositionText text = formatPosition(tenths);
    return QString::fromStdString(text.degrees + text.eastWest);
}

// The satellite of the current lists with this number, by name.
QString currentName(const Workspace& workspace, int number) {
    const auto& satellites = workspace.files().satelliteFiles.satellites;
    if (number < 0 || static_cast<std::size_t>(number) >= satellites.size()) {
        return QString::number(number);
    }
    return QString::fromStdString(
        workspace.codePage().toUtf8(satellites[static_cast<std::size_t>(number)].name));
}

QString changesText(const Workspace& workspace, const PreviewSatellite& s) {
    switch (s.fate) {
    case ImportFate::Added:
        return "new";
    case ImportFate::Kept:
        return QString("replaces %1: +%2 -%3, %4 changed")
            .arg(currentName(workspace, *s.replaces))
            .arg(s.transpondersAdded)
            .arg(s.transpondersRemoved)
            .arg(s.transpondersChanged);
    case ImportFate::LeftOut:
        break;
    }
    return {};
}

QString summaryText(const ImportPreview& p) {
    return QString("%1 of %2 satellites ticked: %3 added, %4 kept, %5 removed; %6 transponders. "
                   "%7 services refer to satellite numbers that change.")
        .arg(p.chosen)
        .arg(p.satellites.size())
        .arg(p.added)
        .arg(p.kept)
        .arg(p.removed.size())
        .arg(p.transponders)
        .arg(p.servicesRenumbered);
}

QStringList noteLines(const ImportPreview& p) {
    QStringList lines;
    for (const ImportFailure& f : p.failures) {
        lines << QString::fromStdString("Failed: " + f.source + ": " + f.reason);
    }
    for (const PreviewRemoved& r : p.removed) {
        lines << QString("Removed: %1 (%2), %3 transponders, used by %4 services")
                     .arg(QString::fromStdString(r.name), positionText(r.position))
                     .arg(r.transponders)
                     .arg(r.services);
    }
    for (const std::string& note : p.notes) {
        lines << QString::fromStdString(note);
    }
    return lines;
}

} // namespace

ImportPreviewDialog::ImportPreviewDialog(const Workspace& workspace, ImportedList list,
                                         const QString& title, QWidget* parent)
    : QDialog(parent), workspace_(workspace), list_(std::move(list)), choice_(defaultChoice(list_)),
      satellites_(new QTreeWidget(this)),
      keepAntenna_(new QCheckBox("Keep antenna settings of satellites already present", this)),
      summary_(new QLabel(this)), notes_(new QPlainTextEdit(this)),
      import_(new QPushButton("Import", this)), cancel_(new QPushButton("Cancel", this)) {
    setObjectName("importPreview");
    setWindowTitle(title);
    resize(900, 560);
    satellites_->setColumnCount(ColumnCount);
    satellites_->setHeaderLabels(
        {"Satellite", "Position", "Transponders", "Changes", "Services", "Antenna"});
    satellites_->setRootIsDecorated(false);
    satellites_->setUniformRowHeights(true);
    // Names and changes share the width the numbers leave, so the list never grows wider than
    // the dialog; a text too long for its column shows whole in its tip.
    satellites_->header()->setStretchLastSection(false);
    satellites_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    satellites_->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    satellites_->header()->setSectionResizeMode(Changes, QHeaderView::Stretch);
    keepAntenna_->setChecked(choice_.keepAntenna);
    summary_->setWordWrap(true);
    notes_->setReadOnly(true);
    notes_->setMaximumHeight(120);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(keepAntenna_);
    buttons->addStretch(1);
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(satellites_, 1);
    layout->addWidget(summary_);
    layout->addWidget(notes_);
    layout->addLayout(buttons);

    fillSatellites();
    refresh();
    connect(satellites_, &QTreeWidget::itemChanged, this, &ImportPreviewDialog::ticked);
    connect(keepAntenna_, &QCheckBox::toggled, this, [this](bool on) {
        choice_.keepAntenna = on;
        refresh();
    });
    connect(import_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    cancel_->setDefault(true);
}

void ImportPreviewDialog::fillSatellites() {
    for (std::size_t i = 0; i < list_.satellites.size(); ++i) {
        const ImportedSatellite& s = list_.satellites[i];
        auto* item = new QTreeWidgetItem(satellites_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Name, choice_.chosen[i] ? Qt::Checked : Qt::Unchecked);
        item->setText(Position, positionText(s.position));
        item->setText(Transponders, QString::number(s.transponders.size()));
        for (int column : {Position, Transponders, Services}) {
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

void ImportPreviewDialog::ticked(QTreeWidgetItem* item) {
    const int row = satellites_->indexOfTopLevelItem(item);
    const bool on = item->checkState(Name) == Qt::Checked;
    if (row >= 0 && choice_.chosen[static_cast<std::size_t>(row)] != on) {
        choice_.chosen[static_cast<std::size_t>(row)] = on;
        refresh();
    }
}

void ImportPreviewDialog::refresh() {
    const ImportPreview preview = previewImport(workspace_, list_, choice_);
    {
        const QSignalBlocker quiet(satellites_);
        for (std::size_t i = 0; i < preview.satellites.size(); ++i) {
            const PreviewSatellite& s = preview.satellites[i];
            const bool chosen = s.fate != ImportFate::LeftOut;
            QTreeWidgetItem* item = satellites_->topLevelItem(static_cast<int>(i));
            item->setText(Name, QString::fromStdString(s.name)); // as it will be stored
            item->setToolTip(Name, item->text(Name));
            item->setText(Changes, changesText(workspace_, s));
            item->setToolTip(Changes, item->text(Changes));
            item->setText(Services, s.replaces ? QString::number(s.services) : QString());
            item->setText(Antenna, chosen ? (s.keepsAntenna ? "kept" : "default") : QString());
        }
    }
    summary_->setText(preview.refusal ? QString::fromStdString(preview.refusal->text)
                                      : summaryText(preview));
    const QStringList notes = noteLines(preview);
    notes_->setPlainText(notes.join('\n'));
    notes_->setVisible(!notes.isEmpty());
    import_->setEnabled(!preview.refusal);
}

} // namespace tavrino::app
