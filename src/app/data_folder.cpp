#include "app/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavrino::app {

QString resolveDataFolder(const QString& commandLineChoice) {
    if (!commandLineChoice.isEmpty()) {
        return QDir(commandLineChoice).absolutePath();
    }
    const QString fromEnvironment = qEnvironmentVariable("TAVRINO_HOME");
    if (!fromEnvironment.isEmpty()) {
        return QDir(fromEnvironment).absolutePath();
    }
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(programFolder).isWritable()) {
        return programFolder;
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString stagingFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath("tmp");
}

bool prepareDataFolder(const QString& folder) {
    return QDir().mkpath(folder) && QDir().mkpath(stagingFolder(folder));
}

} // namespace tavrino::app
