#pragma once

#include <QString>

namespace tavrino::app {

// Where the program keeps its own files: --data-dir, else TAVRINO_HOME, else the program's
// folder when it is writable, else the per-user application data folder.
QString resolveDataFolder(const QString& commandLineChoice);

// Creates the data folder and its staging folder "tmp"; returns false when that fails.
bool prepareDataFolder(const QString& folder);
QString stagingFolder(const QString& dataFolder);

} // namespace tavrino::app
