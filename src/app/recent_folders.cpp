#include "app/recent_folders.h"

#include <QDir>
#include <QSettings>

namespace tavrino::app {
namespace {

const char* const recentKey = "RecentFolders";

} // namespace

RecentFolders::RecentFolders(const QString& dataFolder)
    : settingsFile_(QDir(dataFolder).filePath("Tavrino.ini")) {
    const QSettings settings(settingsFile_, QSettings::IniFormat);
    folders_ = settings.value(recentKey).toStringList().mid(0, limit);
}

void RecentFolders::remember(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    folders_.removeAll(clean);
    folders_.prepend(clean);
    folders_ = folders_.mid(0, limit);
    QSettings settings(settingsFile_, QSettings::IniFormat); // written whole, then renamed
    settings.setValue(recentKey, folders_);
}

} // namespace tavrino::app
