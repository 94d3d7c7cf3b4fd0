#pragma once

#include "document/document.h"
#include "import/http_get.h"
#include "import/imported_list.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace tavrino::app {

class DownloadWindow;
class ImportPreviewDialog;
class KingOfSatWindow;
class UserDialogs;

// "Import from satellites.xml" and "Import from KingOfSat": read or download the list, show
// the preview, and import on "Import" as one undoable step. The windows are open, not run:
// the window stays live throughout, and busy() keeps a second import from starting.
class SatelliteImporter : public QObject {
    Q_OBJECT
public:
    SatelliteImporter(Document& document, UserDialogs& dialogs, QString dataFolder,
                      QWidget* window);

    void importXml();
    void importKingOfSat();
    bool busy() const { return busy_; }
    // Where the satellites.xml dialog starts (the data folder unless set).
    void setStartFolder(std::function<QString()> folder) { startFolder_ = std::move(folder); }
    void setHttpOptions(const HttpOptions& options) { http_ = options; }

    // The window open at the moment, or null.
    ImportPreviewDialog* preview() const;
    KingOfSatWindow* selectionWindow() const;
    DownloadWindow* downloadWindow() const;

signals:
    void busyChanged(bool busy);
    void imported(); // the satellites of a list were imported

private:
    void setBusy(bool busy);
    void downloaded();
    void showPreview(ImportedList list, const QString& title);
    std::filesystem::path dataFile(const char* name) const;

    Document& document_;
    UserDialogs& dialogs_;
    QString dataFolder_;
    QWidget* window_;
    std::function<QString()> startFolder_;
    HttpOptions http_;
    bool busy_ = false;
    QPointer<ImportPreviewDialog> preview_;
    QPointer<KingOfSatWindow> selection_;
    QPointer<DownloadWindow> download_;
};

} // namespace tavrino::app
