#include "app/app_options.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/user_dialogs.h"
#include "common/version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace tavrino::app;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tavrino");
    QApplication::setApplicationVersion(TAVRINO_VERSION);
    QApplication::setOrganizationName("Tavrino");
    // Lets the desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName("io.github.tavrino.Tavrino");
    QApplication::setWindowIcon(QIcon(":/tavrino.png"));

    int exitCode = 0;
    const auto options = parseAppOptions(QApplication::arguments(), exitCode);
    if (!options) {
        return exitCode;
    }
    const QString dataFolder = resolveDataFolder(options->dataFolder);
    prepareDataFolder(dataFolder); // each later write reports its own failure

    QtUserDialogs dialogs;
    MainWindow mainWindow(dialogs, dataFolder);
    MainWindow* window = &mainWindow;
    dialogs.setParentWidget(window);
    window->show();
    if (!options->folder.isEmpty() && !window->openFolder(options->folder.toStdString())) {
        if (!QFileInfo::exists(QDir(options->folder).filePath("all_channel.dat"))) {
            fprintf(stderr, "%s: no all_channel.dat in this folder\n", qPrintable(options->folder));
        }
        if (!options->screenshot.isEmpty()) {
            return 2;
        }
    }
    if (!options->screenshot.isEmpty()) {
        QTimer::singleShot(300, window, [window, path = options->screenshot] {
            const bool saved = window->grab().save(path, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
