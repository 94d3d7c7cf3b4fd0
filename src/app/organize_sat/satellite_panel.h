#pragma once

#include "satellites/satellite_editor.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrino::app {

// The satellite editor's controls: the antenna header, the satellite's name and position and
// its antenna settings, with the rules that enable and show them. It holds the form as it was
// filled, so "Update SAT" writes only what the user changed.
class SatellitePanel : public QWidget {
    Q_OBJECT
public:
    explicit SatellitePanel(QWidget* parent = nullptr);

    void showForm(const SatelliteForm& form);
    const SatelliteForm& opened() const { return opened_; }
    SatelliteForm edited() const;

    QPushButton* addButton() const { return add_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* deleteButton() const { return delete_; }
    QLineEdit* box(const char* caption) const;
    QComboBox* list(const char* caption) const;

private:
    void build();
    QWidget* antennaControls();
    void applyControlRules();

    SatelliteForm opened_;
    QLineEdit* longitude_;
    QLineEdit* latitude_;
    QLineEdit* maxSat_;
    QLineEdit* name_;
    QLineEdit* position_;
    QComboBox* eastWest_;
    QLineEdit* netIndex_;
    QComboBox* nitSearch_;
    QLineEdit* tunerSelect_;
    QComboBox* lnbType_;
    QLineEdit* lnbFrequency_;
    QComboBox* power_;
    QComboBox* tone22k_;
    QComboBox* switch12v_;
    QComboBox* diseqc_;
    QComboBox* committed_;
    QComboBox* uncommitted_;
    QComboBox* order_;
    QComboBox* motor_;
    QLineEdit* motorPosition_;
    QPushButton* add_;
    QPushButton* update_;
    QPushButton* delete_;
};

} // namespace tavrino::app
