#include "app/app_options.h"

#include <QCommandLineParser>

namespace tavrino::app {

std::optional<AppOptions> parseAppOptions(const QStringList& arguments, int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Tavrino: an editor for the channel lists of the Orvix "
                                     "satellite receiver.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FOLDER",
                                 "Receiver folder to open (all_channel.dat, "
                                 "antenna_list.dat, DVBS.dat).",
                                 "[FOLDER]");
    const QCommandLineOption dataDir("data-dir", "Folder for the program's own files.", "DIR");
    const QCommandLineOption screenshot(
        "screenshot", "Render the window to a PNG file once it is shown, then exit.", "FILE");
    parser.addOption(dataDir);
    parser.addOption(screenshot);
    if (!parser.parse(arguments)) {
        fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        exitCode = 1;
        return std::nullopt;
    }
    if (parser.isSet("help")) {
        parser.showHelp(0); // exits
    }
    if (parser.isSet("version")) {
        parser.showVersion(); // exits
    }
    if (parser.positionalArguments().size() > 1) {
        fprintf(stderr, "Give at most one receiver folder.\n");
        exitCode = 1;
        return std::nullopt;
    }
    AppOptions options;
    options.folder = parser.positionalArguments().value(0);
    options.dataFolder = parser.value(dataDir);
    options.screenshot = parser.value(screenshot);
    return options;
}

} // namespace tavrino::app
