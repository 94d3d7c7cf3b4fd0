#include "app/organize_sat/satellite_importer.h"

#include "app/busy_cursor.h"
#include "app/organize_sat/download_window.h"
#include "app/organize_sat/import_preview_dialog.h"
#include "app/organize_sat/kingofsat_window.h"
#include "app/screen_fit.h"
#include "app/user_dialogs.h"
#include "import/kingofsat.h"
#include "import/satellite_import.h"
#include "import/satellites_xml.h"

namespace tavrino::app {
namespace {

const QString xmlTitle = "Import from satellites.xml";
const QString kingOfSatTitle = "Import from KingOfSat";

Notice nothingDownloaded(const std::vector<ImportFailure>& failures) {
    std::string text = "No satellite list could be downloaded; nothing was changed.";
    for (const ImportFailure& f : failures) {
        text += "\n" + f.source + ": " + f.reason;
    }
    return {"Failure", text, NoticeIcon::Exclamation};
}

} // namespace

SatelliteImporter::SatelliteImporter(Document& document, UserDialogs& dialogs, QString dataFolder,
                                     QWidget* window)
    : QObject(window), document_(document), dialogs_(dialogs), dataFolder_(std::move(dataFolder)),
      window_(window), startFolder_([this] { return dataFolder_; }) {}

ImportPreviewDialog* SatelliteImporter::preview() const {
    return preview_;
}

KingOfSatWindow* SatelliteImporter::selectionWindow() const {
    return selection_;
}

DownloadWindow* SatelliteImporter::downloadWindow() const {
    return download_;
}

std::filesystem::path SatelliteImporter::dataFile(const char* name) const {
    return std::filesystem::path(dataFolder_.toStdString()) / name;
}

void SatelliteImporter::setBusy(bool busy) {
    busy_ = busy;
    emit busyChanged(busy);
}

void SatelliteImporter::importXml() {
    if (busy_) {
        return;
    }
    const auto file = dialogs_.chooseSatellitesXml(startFolder_());
    if (!file) {
        return;
    }
    ImportedList list;
    try {
        const BusyCursor busy;
        list = readSatellitesXml(*file);
    } catch (const FileProblem& problem) {
        dialogs_.tell(problem.notice());
        return;
    }
    showPreview(std::move(list), xmlTitle);
}

void SatelliteImporter::importKingOfSat() {
    if (busy_) {
        return;
    }
    SatList satList;
    std::vector<int> selected;
    try {
        satList = readSatList(dataFile(satListFileName));
        selected = readSelection(dataFile(selectionFileName), satList.entries.size());
    } catch (const FileProblem& problem) {
        dialogs_.tell(problem.notice());
        return;
    }
    setBusy(true);
    selection_ = new KingOfSatWindow(satList, selected, window_);
    selection_->setAttribute(Qt::WA_DeleteOnClose);
    connect(selection_, &QDialog::accepted, this, [this, satList] {
        const std::vector<int> chosen = selection_->selected();
        try {
            writeSelection(dataFile(selectionFileName), chosen);
        } catch (const FileProblem& problem) {
            dialogs_.tell(problem.notice()); // the choice is not kept; the download still runs
        }
        download_ = new DownloadWindow(satList, chosen, http_, window_);
        connect(download_, &DownloadWindow::downloaded, this, &SatelliteImporter::downloaded);
        download_->open();
        download_->start();
    });
    connect(selection_, &QDialog::rejected, this, [this] { setBusy(false); });
    fitToScreen(selection_);
    selection_->open();
}

void SatelliteImporter::downloaded() {
    DownloadOutcome outcome = download_->outcome();
    download_->deleteLater();
    if (outcome.cancelled) {
        setBusy(false);
        return;
    }
    if (outcome.list.satellites.empty()) {
        dialogs_.tell(nothingDownloaded(outcome.list.failures));
        setBusy(false);
        return;
    }
    showPreview(std::move(outcome.list), kingOfSatTitle);
}

void SatelliteImporter::showPreview(ImportedList list, const QString& title) {
    setBusy(true);
    preview_ = new ImportPreviewDialog(document_.workspace(), std::move(list), title, window_);
    preview_->setAttribute(Qt::WA_DeleteOnClose);
    connect(preview_, &QDialog::accepted, this, [this] {
        const ImportResult result =
            document_.importSatellites(preview_->list(), preview_->choice());
        if (result.refusal) {
            dialogs_.tell(*result.refusal);
        } else if (result.written) {
            emit imported();
        }
    });
    connect(preview_, &QDialog::finished, this, [this] { setBusy(false); });
    fitToScreen(preview_);
    preview_->open();
}

} // namespace tavrino::app
