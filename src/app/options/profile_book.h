#pragma once

#include "link/profiles.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <vector>

namespace tavrino::app {

// The connection profiles of the window: the core's profile table, read from Profiles.ini in
// the data folder and written back after every change and at shut-down. The Options tab's
// list and tab 1's drop-down both show it and select through it.
class ProfileBook : public QObject {
    Q_OBJECT
public:
    ProfileBook(Prompter& prompter, QString dataFolder, QObject* parent = nullptr);

    // Reads the file, creating it with the default profile when it is missing, and selects
    // the first profile. Returns what was wrong with the file, for the window to tell.
    std::vector<Notice> load();

    const ProfileTable& table() const { return table_; }
    int selected() const { return table_.selected(); }
    const ConnectionProfile* active() const { return table_.active(); }
    // The colour the lists take for the selected profile (unset: black).
    QColor activeColor() const;

    // The profile operations of the Options tab. Each tells its refusal and returns false.
    void select(int index);
    bool add(const ConnectionProfile& fields);
    bool update(const ConnectionProfile& fields);
    bool remove();
    void setForeColor(const QColor& color);

    // Writes the file; tells and returns false when that fails.
    bool save();
    // Shut-down: writes the file, unless it could not be read and nothing changed since, so
    // an unreadable file is never replaced by a table that does not hold its profiles.
    void saveOnExit();

signals:
    // The names or their order changed: the lists fill again.
    void listChanged();
    // A profile was selected (again): its fields, colour and status panels show it.
    void profileSelected(int index);
    // The lists' text colour.
    void colorChanged(const QColor& color);

private:
    Prompter& prompter_;
    QString dataFolder_;
    ProfileTable table_;
    bool loadFailed_ = false;
    bool changed_ = false;
};

QColor colorOfProfile(const ConnectionProfile* profile);

} // namespace tavrino::app
