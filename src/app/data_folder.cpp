#include "app/data_folder.h"

#include "common/data_folder.h"

#include <QDir>

namespace tavrino::app {

QString resolveDataFolder(const QString& commandLineChoice) {
    // The same rules as tavrino-cli, so both find the same profiles and backups.
    std::optional<std::filesystem::path> chosen;
    if (!commandLineChoice.isEmpty()) {
        chosen = commandLineChoice.toStdString();
    }
    return QString::fromStdString(tavrino::resolveDataFolder(chosen).string());
}

QString stagingFolder(const QString& dataFolder) {
    return QString::fromStdString(tavrino::stagingFolderOf(dataFolder.toStdString()).string());
}

bool prepareDataFolder(const QString& folder) {
    return QDir().mkpath(folder) && QDir().mkpath(stagingFolder(folder));
}

} // namespace tavrino::app
