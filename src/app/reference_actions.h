#pragma once

#include "database/edit_history.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <memory>

class QMenu;

namespace tavrino::app {

class ApplyPreviewDialog;
class MainWindow;
class UserDialogs;

// File menu "Export Bouquets...", "Apply Bouquets..." and "Export Service List...": reference
// lists of bouquets written and applied, and the service list as shown written to CSV.
class ReferenceActions : public QObject {
    Q_OBJECT
public:
    ReferenceActions(MainWindow& window, UserDialogs& dialogs);

    void addMenuEntries(QMenu& file);
    void exportBouquets();
    // Reads a list and shows what applying it would do; "Apply" carries it out.
    void applyBouquets();
    void exportServiceList();
    ApplyPreviewDialog* preview() const; // the preview on screen, if any

signals:
    void edited(); // something was written into the images

private:
    void apply(const EditMark& shownAt);
    // File dialogs start where the last CSV file was chosen, else where the window's do.
    QString startFolder() const;
    void remember(const std::filesystem::path& file);

    MainWindow& window_;
    UserDialogs& dialogs_;
    QPointer<ApplyPreviewDialog> preview_;
    QString lastFolder_;
};

} // namespace tavrino::app
