#pragma once

#include "workspace/service_edit.h"
#include "workspace/workspace.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSplitter;

namespace tavrino::app {

class BouquetPanel;
class DetailsTip;
class ServiceEditDialog;
class ProfileBook;
class ProfilePicker;
class ServiceListView;
class ServiceModel;
class UserDialogs;

// Tab 1, "Organize List": the service list with its filters and search, and the buttons.
class OrganizeListTab : public QWidget {
    Q_OBJECT
public:
    OrganizeListTab(Workspace& workspace, UserDialogs& dialogs, DetailsTip& tip,
                    ProfileBook& profiles, QWidget* parent = nullptr);

    // A new database was opened: rebuild the filter lists and show every service.
    void workspaceReplaced();
    // An undo or redo put bytes back: show them, keeping filter, order and scroll position.
    void stepApplied(const Change& effect);

    ServiceListView* serviceView() const { return serviceView_; }
    ServiceModel* serviceModel() const { return serviceModel_; }
    QComboBox* satelliteFilter() const { return satelliteFilter_; }
    QComboBox* typeFilter() const { return typeFilter_; }
    QLineEdit* searchBox() const { return searchBox_; }
    QPushButton* openButton() const { return openButton_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* clipboardButton() const { return clipboardButton_; }
    QPushButton* receiveButton() const { return receiveButton_; }
    QPushButton* sendButton() const { return sendButton_; }
    ProfilePicker* profilePicker() const { return profilePicker_; }
    QSplitter* listSplitter() const { return splitter_; }
    BouquetPanel* bouquets() const { return bouquets_; }
    ServiceEditDialog* editDialog() const { return editDialog_; }

    void changeFlag(std::uint8_t bit, bool set);
    void copyToClipboard();
    // Selects a service in the list, widening the filters when they hide it.
    void locateService(std::uint32_t tableRow);
    // "Receive from Orvix" and "Send to Orvix" are off while a job with the receiver runs.
    void setTransferEnabled(bool enabled);
    // The text colour of the three lists (the active profile's colour).
    void setListColor(const QColor& color);

signals:
    void openRequested();
    void saveRequested();
    void receiveRequested();
    void sendRequested();
    void totalServicesChanged(int total);
    void bouquetCountChanged(int count);
    void itemCountChanged(int count);
    void edited();                  // something was written into the images
    void note(const QString& text); // for the status bar

private:
    void applyFilter();
    void sortByColumn(int column);
    void searchByName(const QString& text);
    void showServiceTip(int position);
    void editSelectedService();
    void serviceEdited(const ServiceEditResult& result);
    void showRowsChanged(const std::vector<std::uint32_t>& tableRows);

    Workspace& workspace_;
    DetailsTip& tip_;
    ServiceModel* serviceModel_;
    ServiceListView* serviceView_;
    QComboBox* satelliteFilter_;
    QComboBox* typeFilter_;
    QLineEdit* searchBox_;
    QPushButton* openButton_;
    QPushButton* saveButton_;
    QPushButton* clipboardButton_;
    QPushButton* receiveButton_;
    QPushButton* sendButton_;
    ProfilePicker* profilePicker_;
    QSplitter* splitter_;
    BouquetPanel* bouquets_;
    ServiceEditDialog* editDialog_;
    bool loading_ = false;
};

} // namespace tavrino::app
