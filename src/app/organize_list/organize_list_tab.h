#pragma once

#include "document/document.h"

#include <QWidget>

class QCheckBox;
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
    OrganizeListTab(Document& document, UserDialogs& dialogs, DetailsTip& tip,
                    ProfileBook& profiles, QWidget* parent = nullptr);

    // Shows what a step changed: new files rebuild the filter lists and show every service;
    // an edit, undo or redo keeps filter, order and scroll position.
    void showChange(const Change& change);
    // The three lists share `windowWidth` as the window's first layout does.
    void shareListWidths(int windowWidth);

    ServiceListView* serviceView() const { return serviceView_; }
    ServiceModel* serviceModel() const { return serviceModel_; }
    QComboBox* satelliteFilter() const { return satelliteFilter_; }
    QLineEdit* searchBox() const { return searchBox_; }
    BouquetPanel* bouquets() const { return bouquets_; }
    ServiceEditDialog* editDialog() const { return editDialog_; }

    void changeFlag(FlagCommand command);
    void copyToClipboard();
    // Selects a service in the list, clearing the filters when they hide it (and saying so).
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
    void bouquetCountChanged(int count);
    void itemCountChanged(int count);
    void note(const QString& text); // for the status bar

private:
    const Workspace& workspace() const { return document_.workspace(); }
    void databaseReplaced();
    void applyFilter();
    void sortByColumn(int column);
    void searchByName(const QString& text);
    void showServiceTip(int position);
    void editSelectedService();
    void serviceEdited(const ServiceEditResult& result);
    void showRowsChanged(const std::vector<std::uint32_t>& tableRows, bool select);

    Document& document_;
    DetailsTip& tip_;
    ServiceModel* serviceModel_;
    ServiceListView* serviceView_;
    QComboBox* satelliteFilter_;
    QComboBox* typeFilter_;
    QCheckBox* duplicatesOnly_;
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
