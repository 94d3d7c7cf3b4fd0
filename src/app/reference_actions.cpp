#include "app/reference_actions.h"

#include "app/apply_preview_dialog.h"
#include "app/busy_cursor.h"
#include "app/screen_fit.h"
#include "app/user_dialogs.h"
#include "services/service_csv.h"

#include <QDir>
#include <QMenu>

namespace tavrino::app {
namespace {

QString pathText(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

} // namespace

ReferenceActions::ReferenceActions(Document& document, UserDialogs& dialogs, QWidget* window)
    : QObject(window), document_(document), dialogs_(dialogs), window_(window) {
    setObjectName("referenceActions");
}

ApplyPreviewDialog* ReferenceActions::preview() const {
    return preview_;
}

void ReferenceActions::addMenuEntries(QMenu& file) {
    connect(file.addAction("&Export Bouquets..."), &QAction::triggered, this,
            &ReferenceActions::exportBouquets);
    connect(file.addAction("&Apply Bouquets..."), &QAction::triggered, this,
            &ReferenceActions::applyBouquets);
    connect(file.addAction("Export Service &List..."), &QAction::triggered, this,
            &ReferenceActions::exportServiceList);
}

QString ReferenceActions::startFolder() const {
    return lastFolder_.isEmpty() && windowFolder_ ? windowFolder_() : lastFolder_;
}

void ReferenceActions::remember(const std::filesystem::path& file) {
    lastFolder_ = QString::fromStdString(file.parent_path().string());
}

void ReferenceActions::exportBouquets() {
    const Workspace& ws = document_.workspace();
    if (!ws.channelLoaded()) {
        return;
    }
    const auto path =
        dialogs_.chooseCsvToWrite("Export Bouquets", QDir(startFolder()).filePath("bouquets.csv"));
    if (!path) {
        return;
    }
    remember(*path);
    try {
        tavrino::exportBouquets(ws, *path);
    } catch (const FileProblem& problem) {
        dialogs_.tell(problem.notice());
        return;
    }
    emit note(QString("%1 bouquets exported to %2")
                  .arg(ws.files().bouquets.rows.size())
                  .arg(pathText(*path)));
}

void ReferenceActions::exportServiceList() {
    const Workspace& ws = document_.workspace();
    if (!ws.channelLoaded()) {
        return;
    }
    const auto path = dialogs_.chooseCsvToWrite("Export Service List",
                                                QDir(startFolder()).filePath("services.csv"));
    if (!path) {
        return;
    }
    remember(*path);
    try {
        tavrino::exportServiceList(ws.services(), ws.view(), *path);
    } catch (const FileProblem& problem) {
        dialogs_.tell(problem.notice());
        return;
    }
    emit note(QString("%1 services exported to %2").arg(ws.view().size()).arg(pathText(*path)));
}

void ReferenceActions::applyBouquets() {
    const Workspace& ws = document_.workspace();
    if (!ws.channelLoaded() || preview_ != nullptr) {
        return;
    }
    const auto path = dialogs_.chooseCsvToRead("Apply Bouquets", startFolder());
    if (!path) {
        return;
    }
    remember(*path);
    auto list = std::make_shared<ReferenceList>();
    try {
        *list = readReferenceList(*path, ws.codePage());
    } catch (const FileProblem& problem) {
        dialogs_.tell(problem.notice());
        return;
    }
    const auto planner = [this, list](bool replaceAll) {
        const BusyCursor busy;
        return document_.planApply(*list, replaceAll);
    };
    preview_ =
        new ApplyPreviewDialog(QString::fromStdString(path->filename().string()), planner, window_);
    preview_->setAttribute(Qt::WA_DeleteOnClose);
    const EditMark shownAt = ws.mark();
    connect(preview_, &QDialog::accepted, this, [this, shownAt] { apply(shownAt); });
    fitToScreen(preview_);
    preview_->open(); // window-modal: nothing changes the bouquets while it is shown
}

void ReferenceActions::apply(const EditMark& shownAt) {
    const EditMark now = document_.workspace().mark();
    if (preview_ == nullptr || now.generation != shownAt.generation || now.step != shownAt.step) {
        dialogs_.tell(limitNotice("The bouquets changed since the preview was made; nothing was "
                                  "applied !!!"));
        return;
    }
    const ApplyPlan& plan = preview_->plan();
    std::vector<int> written;
    {
        const BusyCursor busy;
        written = document_.applyPlan(plan);
    }
    if (written.empty()) {
        emit note("The bouquets already stand as the list says");
        return;
    }
    int notFound = 0;
    for (const BouquetOutcome& b : plan.bouquets) {
        notFound += b.notFound;
    }
    // Nothing is on disk yet: the list has changed, and Save Files writes it.
    emit note(QString("Bouquets applied in the list: %1 changed, %2 rows not found; not saved yet")
                  .arg(written.size())
                  .arg(notFound));
}

} // namespace tavrino::app
