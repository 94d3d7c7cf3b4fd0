#pragma once

#include "link/profile_store.h"
#include "link/profiles.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <vector>

namespace tavrino::app {

// The connection profiles of the window: the core's profile table as Profiles.ini in the data
// folder holds it. Every change is written at once, merged into the file as it is on disk then
// (profiles added elsewhere stay), and the table becomes the merged result; nothing is written
// at shut-down. The Options tab's list and tab 1's drop-down both show it and select through
// it; the active profile's name is remembered in the window's settings.
class ProfileBook : public QObject {
    Q_OBJECT
public:
    ProfileBook(Prompter& prompter, QString dataFolder, QObject* parent = nullptr);

    // Reads the file, creating it with the default profile when it is missing, and selects the
    // profile remembered from the last run (else the first). Returns what was wrong with the
    // file, for the window to tell.
    std::vector<Notice> load();
    // Reads the file again when someone else changed it since; the active profile stays
    // selected by name, its boxes untouched unless it changed too.
    void reloadIfChanged();

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
    bool setForeColor(const QColor& color);

signals:
    // The names or their order changed: the lists fill again.
    void listChanged();
    // A profile was selected (again): its fields, colour and status panels show it.
    void profileSelected(int index);
    // The lists' text colour.
    void colorChanged(const QColor& color);

private:
    // Makes the change in the file; on success, or when the file showed changes from
    // elsewhere, the table becomes the file's. `fillBoxes` false keeps the boxes as typed.
    bool change(ProfileChange change, bool fillBoxes);
    void adopt(ProfileTable table, int selectedIndex, bool fillBoxes);
    void remember() const;
    QString settingsFile() const;

    Prompter& prompter_;
    QString dataFolder_;
    ProfileTable table_;
    std::optional<FileStamp> stamp_; // Profiles.ini as last read or written
};

QColor colorOfProfile(const ConnectionProfile* profile);

} // namespace tavrino::app
