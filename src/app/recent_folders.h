#pragma once

#include <QString>
#include <QStringList>

namespace tavrino::app {

// The receiver folders opened or saved last, newest first, kept in the data folder's
// settings so they survive a restart.
class RecentFolders {
public:
    static constexpr int limit = 8;

    explicit RecentFolders(const QString& dataFolder);

    const QStringList& folders() const { return folders_; }
    void remember(const QString& folder);

private:
    QString settingsFile_;
    QStringList folders_;
};

} // namespace tavrino::app
