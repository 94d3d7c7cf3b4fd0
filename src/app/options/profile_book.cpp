#include "app/options/profile_book.h"

#include "database/file_problem.h"
#include "link/profile_color.h"

namespace tavrino::app {

QColor colorOfProfile(const ConnectionProfile* profile) {
    const Rgb rgb = colorOfCode(profile != nullptr ? profile->foreColor : std::nullopt);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

ProfileBook::ProfileBook(Prompter& prompter, QString dataFolder, QObject* parent)
    : QObject(parent), prompter_(prompter), dataFolder_(std::move(dataFolder)) {}

std::vector<Notice> ProfileBook::load() {
    std::vector<Notice> problems;
    try {
        ProfilesRead read = loadProfiles(dataFolder_.toStdString());
        table_ = ProfileTable(std::move(read.profiles));
        if (read.problem) {
            problems.push_back(*read.problem);
        }
        loadFailed_ = false;
    } catch (const FileProblem& problem) {
        table_ = ProfileTable();
        problems.push_back(problem.notice());
        loadFailed_ = true;
    }
    changed_ = false;
    emit listChanged();
    select(table_.selected());
    return problems;
}

QColor ProfileBook::activeColor() const {
    return colorOfProfile(table_.active());
}

void ProfileBook::select(int index) {
    table_.select(index);
    emit profileSelected(table_.selected());
    emit colorChanged(activeColor());
}

bool ProfileBook::add(const ConnectionProfile& fields) {
    if (auto refusal = table_.add(fields)) {
        prompter_.tell(*refusal);
        return false;
    }
    changed_ = true;
    emit listChanged();
    select(table_.selected());
    save();
    return true;
}

bool ProfileBook::update(const ConnectionProfile& fields) {
    if (table_.selected() < 0) {
        return false;
    }
    if (auto refusal = table_.update(fields)) {
        prompter_.tell(*refusal);
        return false;
    }
    changed_ = true;
    save();
    emit listChanged();
    select(table_.selected());
    return true;
}

bool ProfileBook::remove() {
    if (!table_.remove()) {
        return false; // the last profile stays
    }
    changed_ = true;
    emit listChanged();
    select(table_.selected());
    save();
    return true;
}

void ProfileBook::setForeColor(const QColor& color) {
    if (table_.selected() < 0) {
        return;
    }
    table_.setForeColor(codeOfColor({static_cast<std::uint8_t>(color.red()),
                                     static_cast<std::uint8_t>(color.green()),
                                     static_cast<std::uint8_t>(color.blue())}));
    changed_ = true;
    emit colorChanged(activeColor());
    save(); // at once rather than at shut-down only: a crash would lose it
}

bool ProfileBook::save() {
    try {
        saveProfiles(dataFolder_.toStdString(), table_.profiles());
        loadFailed_ = false;
        return true;
    } catch (const FileProblem& problem) {
        prompter_.tell(problem.notice());
        return false;
    }
}

void ProfileBook::saveOnExit() {
    if (loadFailed_ && !changed_) {
        return;
    }
    save();
}

} // namespace tavrino::app
