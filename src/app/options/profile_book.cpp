#include "app/options/profile_book.h"

#include "database/file_problem.h"
#include "link/profile_color.h"

#include <QDir>
#include <QGuiApplication>
#include <QSettings>

namespace tavrino::app {
namespace {

const char* const activeProfileKey = "ActiveProfile";

} // namespace

QColor colorOfProfile(const ConnectionProfile* profile) {
    const Rgb rgb = colorOfCode(profile != nullptr ? profile->foreColor : std::nullopt);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

ProfileBook::ProfileBook(Prompter& prompter, QString dataFolder, QObject* parent)
    : QObject(parent), prompter_(prompter), dataFolder_(std::move(dataFolder)) {
    // Coming back from a terminal where tavrino-cli added a profile shows it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    reloadIfChanged();
                }
            });
}

QString ProfileBook::settingsFile() const {
    return QDir(dataFolder_).filePath("Tavrino.ini");
}

std::vector<Notice> ProfileBook::load() {
    std::vector<Notice> problems;
    try {
        ProfilesRead read = loadProfiles(dataFolder_.toStdString());
        stamp_ = read.stamp;
        table_ = ProfileTable(std::move(read.profiles));
        if (read.problem) {
            problems.push_back(*read.problem);
        }
    } catch (const FileProblem& problem) {
        table_ = ProfileTable();
        stamp_.reset();
        problems.push_back(problem.notice());
    }
    const QString remembered =
        QSettings(settingsFile(), QSettings::IniFormat).value(activeProfileKey).toString();
    if (!remembered.isEmpty()) {
        table_.select(table_.find(remembered.toStdString()));
    }
    emit listChanged();
    select(table_.selected());
    return problems;
}

void ProfileBook::reloadIfChanged() {
    const std::filesystem::path folder = dataFolder_.toStdString();
    if (stampOf(profilesPathOf(folder)) == stamp_) {
        return;
    }
    std::optional<ProfilesRead> read;
    try {
        read = readProfiles(folder);
    } catch (const FileProblem&) {
        return; // said when a change is tried
    }
    if (!read || !read->whole()) {
        // Nothing better to show than what the window holds; a change says what is wrong.
        stamp_ = read ? read->stamp : std::nullopt;
        return;
    }
    stamp_ = read->stamp;
    ProfileTable fresh(std::move(read->profiles));
    const ConnectionProfile* was = active();
    const int at = was != nullptr ? fresh.locate(was->profileName, selected()) : -1;
    const bool same = at >= 0 && fresh.profiles()[static_cast<std::size_t>(at)] == *was;
    adopt(std::move(fresh), at >= 0 ? at : 0, !same);
}

QColor ProfileBook::activeColor() const {
    return colorOfProfile(table_.active());
}

void ProfileBook::select(int index) {
    table_.select(index);
    remember();
    emit profileSelected(table_.selected());
    emit colorChanged(activeColor());
}

void ProfileBook::remember() const {
    if (const ConnectionProfile* profile = active()) {
        QSettings(settingsFile(), QSettings::IniFormat)
            .setValue(activeProfileKey, QString::fromStdString(profile->profileName));
    }
}

void ProfileBook::adopt(ProfileTable table, int selectedIndex, bool fillBoxes) {
    table_ = std::move(table);
    table_.select(selectedIndex);
    emit listChanged();
    if (fillBoxes) {
        select(table_.selected());
    } else {
        emit colorChanged(activeColor());
    }
}

bool ProfileBook::change(ProfileChange change, bool fillBoxes) {
    ProfilesChanged result;
    try {
        // A file removed meanwhile is written again from what the window holds.
        result = changeProfiles(dataFolder_.toStdString(), change,
                                table_.size() > 0 ? &table_.profiles() : nullptr);
    } catch (const FileProblem& problem) {
        prompter_.tell(problem.notice());
        return false;
    }
    if (result.refusal) {
        if (result.whole) {
            // What the file holds now may be why (a name taken elsewhere): show it.
            stamp_ = result.stamp;
            const ConnectionProfile* was = active();
            const int at = was != nullptr ? result.table.locate(was->profileName, selected()) : -1;
            const bool same =
                at >= 0 && result.table.profiles()[static_cast<std::size_t>(at)] == *was;
            adopt(std::move(result.table), at >= 0 ? at : 0, !same);
        }
        prompter_.tell(*result.refusal);
        return false;
    }
    stamp_ = result.stamp;
    const int changed = result.table.selected();
    adopt(std::move(result.table), changed, fillBoxes);
    return true;
}

bool ProfileBook::add(const ConnectionProfile& fields) {
    return change({ProfileChange::Kind::Add, {}, -1, fields, 0}, true);
}

bool ProfileBook::update(const ConnectionProfile& fields) {
    const ConnectionProfile* profile = active();
    if (profile == nullptr) {
        return false;
    }
    return change({ProfileChange::Kind::Update, profile->profileName, selected(), fields, 0}, true);
}

bool ProfileBook::remove() {
    const ConnectionProfile* profile = active();
    if (profile == nullptr || table_.size() < 2) {
        return false; // the last profile stays
    }
    return change({ProfileChange::Kind::Remove, profile->profileName, selected(), {}, 0}, true);
}

bool ProfileBook::setForeColor(const QColor& color) {
    const ConnectionProfile* profile = active();
    if (profile == nullptr) {
        return false;
    }
    const std::int32_t code = codeOfColor({static_cast<std::uint8_t>(color.red()),
                                           static_cast<std::uint8_t>(color.green()),
                                           static_cast<std::uint8_t>(color.blue())});
    return change({ProfileChange::Kind::SetColor, profile->profileName, selected(), {}, code},
                  false);
}

} // namespace tavrino::app
