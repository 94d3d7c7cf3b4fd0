#include "app/reference_actions.h"

#include "app/apply_preview_dialog.h"
#include "app/bouquet_panel.h"
#include "app/busy_cursor.h"
#include "app/main_window.h"
#include "app/organize_list_tab.h"
#include "app/screen_fit.h"
#include "app/status_panels.h"
#include "app/user_dialogs.h"
#include "reference/bouquet_apply.h"
#include "services/service_csv.h"

#include <QDir>
#include <QMenu>

namespace tavrino::app {
namespace {

QString pathText(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

} // namespace

ReferenceActions::ReferenceActions(MainWindow& window, UserDialogs& dialogs)
    : QObject(&window), window_(window), dialogs_(dialogs) {}

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
    return lastFolder_.isEmpty() ? window_.startFolder() : lastFolder_;
}

void ReferenceActions::remember(const std::filesystem::path& file) {
    lastFolder_ = QString::fromStdString(file.parent_path().string());
}

void ReferenceActions::exportBouquets() {
    Workspace& ws = window_.workspace();
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
    window_.statusPanels()->showNote(QString("%1 bouquets exported to %2")
                                         .arg(ws.files().bouquets.rows.size())
                                         .arg(pathText(*path)),
                                     8000);
}

void ReferenceActions::exportServiceList() {
    Workspace& ws = window_.workspace();
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
    window_.statusPanels()->showNote(
        QString("%1 services exported to %2").arg(ws.view().size()).arg(pathText(*path)), 8000);
}

void ReferenceActions::applyBouquets() {
    Workspace& ws = window_.workspace();
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
    BouquetEditor& editor = window_.organizeListTab()->bouquets()->editor();
    const auto planner = [&ws, &editor, list](bool replaceAll) {
        const BusyCursor busy;
        return planApply(ws, editor, *list, replaceAll);
    };
    preview_ = new ApplyPreviewDialog(QString::fromStdString(path->filename().string()), planner,
                                      &window_);
    preview_->setAttribute(Qt::WA_DeleteOnClose);
    const EditMark shownAt = ws.mark();
    connect(preview_, &QDialog::accepted, this, [this, shownAt] { apply(shownAt); });
    fitToScreen(preview_);
    preview_->open(); // window-modal: nothing changes the bouquets while it is shown
}

void ReferenceActions::apply(const EditMark& shownAt) {
    Workspace& ws = window_.workspace();
    const EditMark now = ws.mark();
    if (preview_ == nullptr || now.generation != shownAt.generation || now.step != shownAt.step) {
        dialogs_.tell(limitNotice("The bouquets changed since the preview was made; nothing was "
                                  "applied !!!"));
        return;
    }
    const ApplyPlan& plan = preview_->plan();
    BouquetEditor& editor = window_.organizeListTab()->bouquets()->editor();
    std::vector<int> written;
    {
        const BusyCursor busy;
        written = applyPlan(ws, editor, plan);
    }
    if (written.empty()) {
        window_.statusPanels()->showNote("The bouquets already stand as the list says", 8000);
        return;
    }
    Change effect;
    effect.name = applyStepName;
    effect.bouquetRecords = written;
    window_.organizeListTab()->stepApplied(effect);
    emit edited();
    int notFound = 0;
    for (const BouquetOutcome& b : plan.bouquets) {
        notFound += b.notFound;
    }
    // Nothing is on disk yet: the list has changed, and Save Files writes it.
    window_.statusPanels()->showNote(
        QString("Bouquets applied in the list: %1 changed, %2 rows not found; not saved yet")
            .arg(written.size())
            .arg(notFound),
        8000);
}

} // namespace tavrino::app
