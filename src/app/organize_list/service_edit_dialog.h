#pragma once

#include "document/document.h"

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tavrino::app {

class UserDialogs;

// The service edit dialog: every field of one service, not modal. It remembers the record it
// was opened for, so sorting or filtering the list meanwhile cannot redirect "OK"; a field the
// user leaves alone keeps its stored bytes.
class ServiceEditDialog : public QDialog {
    Q_OBJECT
public:
    ServiceEditDialog(Document& document, UserDialogs& dialogs, QWidget* parent);

    void openForRow(std::uint32_t tableRow); // fills the fields and shows the dialog
    // Closes the dialog when its form no longer describes the record (files replaced, undone).
    void closeIfStale();
    bool isOpenFor(std::uint32_t record) const;

    QLineEdit* box(const char* caption) const; // by its caption, for tests
    QComboBox* list(const char* caption) const;
    QCheckBox* flagBox(const QString& caption) const;
    QLineEdit* ipByte(int index) const { return ipBytes_[static_cast<std::size_t>(index)]; }

signals:
    void serviceEdited(const ServiceEditResult& result);

private:
    void build();
    void fill(const ServiceForm& form);
    ServiceForm edited() const;
    void accept() override;

    Document& document_;
    UserDialogs& dialogs_;
    std::optional<ServiceForm> opened_;
    QLineEdit* name_;
    QLineEdit* countryId_;
    QLineEdit* genreId_;
    QLineEdit* provider_;
    QComboBox* satellite_;
    QLabel* frequencyCaption_;
    QLineEdit* frequency_;
    std::array<QLineEdit*, 4> ipBytes_{};
    QComboBox* type_;
    QLabel* tidCaption_;
    QLineEdit* tid_;
    QLineEdit* nid_;
    QLineEdit* sid_;
    QComboBox* polarization_;
    QLineEdit* pmt_;
    QLineEdit* pcr_;
    QComboBox* videoTag_;
    QLineEdit* vpid_;
    QComboBox* audioTag_;
    QLineEdit* apid_;
    QLineEdit* txt_;
    std::vector<QCheckBox*> flags_; // in options::flagBoxes() order
    QCheckBox* sd_;
};

} // namespace tavrino::app
