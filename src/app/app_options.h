#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrino::app {

struct AppOptions {
    QString folder;     // receiver folder to open at start, may be empty
    QString dataFolder; // --data-dir
    QString screenshot; // --screenshot FILE
};

// Parses the command line; on --help or --version, or an error, prints and returns nullopt
// with `exitCode` set.
std::optional<AppOptions> parseAppOptions(const QStringList& arguments, int& exitCode);

} // namespace tavrino::app
