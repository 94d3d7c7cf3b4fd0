#pragma once

#include "satellites/transponder_editor.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tavrino::app {

// The transponder list of the selected satellite and the editor of one entry. It holds the
// form as it was filled, so "Update TP" writes only what the user changed.
class TransponderPanel : public QWidget {
    Q_OBJECT
public:
    explicit TransponderPanel(QWidget* parent = nullptr);

    // The satellite's transponders; `select` is the row to show (the last when nullopt).
    void showSatellite(const Workspace& workspace, std::optional<int> satellite,
                       std::optional<int> select = std::nullopt);
    std::optional<int> satellite() const { return satellite_; }
    std::optional<int> selectedTransponder() const;
    const TransponderForm& opened() const { return opened_; }
    TransponderForm edited() const;

    QListWidget* list() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* deleteButton() const { return delete_; }
    QLineEdit* box(const char* caption) const;
    QComboBox* choice(const char* caption) const;

private:
    void build();
    void showForm(const TransponderForm& form);

    const Workspace* workspace_ = nullptr;
    std::optional<int> satellite_;
    TransponderForm opened_;
    QListWidget* list_;
    QLineEdit* frequency_;
    QLineEdit* nid_;
    QLineEdit* tid_;
    QLineEdit* symbolRate_;
    QComboBox* fec_;
    QComboBox* polarization_;
    QLineEdit* weFlag_;
    QComboBox* pilot_;
    QLineEdit* position_;
    QComboBox* eastWest_;
    QComboBox* modulationSystem_;
    QComboBox* modulationType_;
    QPushButton* add_;
    QPushButton* update_;
    QPushButton* delete_;
};

} // namespace tavrino::app
