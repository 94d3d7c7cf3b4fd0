#pragma once

#include "document/document.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace tavrino::app {

class ApplyPreviewDialog;
class UserDialogs;

// File menu "Export Bouquets...", "Apply Bouquets..." and "Export Service List...": reference
// lists of bouquets written and applied, and the service list as shown written to CSV.
class ReferenceActions : public QObject {
    Q_OBJECT
public:
    ReferenceActions(Document& document, UserDialogs& dialogs, QWidget* window);

    void addMenuEntries(QMenu& file);
    void exportBouquets();
    // Reads a list and shows what applying it would do; "Apply" carries it out.
    void applyBouquets();
    void exportServiceList();
    // Where the file dialogs start before a CSV file was chosen.
    void setStartFolder(std::function<QString()> folder) { windowFolder_ = std::move(folder); }
    ApplyPreviewDialog* preview() const; // the preview on screen, if any

signals:
    void note(const QString& text); // for the status bar

private:
    void apply(const EditMark& shownAt);
    // File dialogs start where the last CSV file was chosen, else where the window's do.
    QString startFolder() const;
    void remember(const std::filesystem::path& file);

    Document& document_;
    UserDialogs& dialogs_;
    QWidget* window_;
    std::function<QString()> windowFolder_;
    QPointer<ApplyPreviewDialog> preview_;
    QString lastFolder_;
};

} // namespace tavrino::app
