#pragma once

#include "document/document.h"

#include <QWidget>
#include <functional>

class QListWidget;
class QPushButton;

namespace tavrino::app {

class SatelliteImporter;
class SatellitePanel;
class TransponderPanel;
class UserDialogs;

// Tab 2, "Organize Sat && TP": the satellites of DVBS.dat with their antenna settings, the
// transponders of the selected one, their editors, and the two satellite files on their own.
class OrganizeSatTab : public QWidget {
    Q_OBJECT
public:
    // SATList.ini and Sel.ini are read from and written to `dataFolder`.
    OrganizeSatTab(Document& document, UserDialogs& dialogs, const QString& dataFolder,
                   QWidget* parent = nullptr);

    // New satellite files show their last satellite; an edit, undo or redo keeps the satellite
    // and transponder shown.
    void showChange(const Change& change);
    // Where the satellites.xml dialog starts.
    void setStartFolder(std::function<QString()> folder);

    QListWidget* satelliteList() const { return satellites_; }
    QListWidget* antennaList() const { return antennas_; }
    SatellitePanel* satellitePanel() const { return satellitePanel_; }
    TransponderPanel* transponderPanel() const { return transponderPanel_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* importXmlButton() const { return importXml_; }
    QPushButton* importKingOfSatButton() const { return importKingOfSat_; }
    SatelliteImporter* importer() const { return importer_; }

signals:
    void openSatelliteFilesRequested();
    void saveSatelliteFilesRequested();

private:
    const Workspace& workspace() const { return document_.workspace(); }
    void connectEditors();
    void connectImports();
    void listSatellites(std::optional<int> select, std::optional<int> transponder = {});
    void showSatellite(int index, std::optional<int> transponder = {});
    // What an operation names, once its change is listed: the satellite (the last one when
    // nullopt) and the transponder.
    void selectSatellite(std::optional<int> satellite, std::optional<int> transponder = {});
    std::optional<int> selectedSatellite() const;
    // Tells why and puts the cursor into the refused box of `panel`.
    bool refused(const std::optional<FieldRefusal>& refusal, QWidget* panel);

    Document& document_;
    UserDialogs& dialogs_;
    QListWidget* satellites_;
    QListWidget* antennas_;
    SatellitePanel* satellitePanel_;
    TransponderPanel* transponderPanel_;
    QPushButton* open_;
    QPushButton* save_;
    QPushButton* importXml_;
    QPushButton* importKingOfSat_;
    SatelliteImporter* importer_;
};

} // namespace tavrino::app
