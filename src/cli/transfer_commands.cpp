#include "cli/command.h"
#include "compare/send_preview.h"
#include "database/file_io.h"
#include "link/link_messages.h"
#include "link/telnet_session.h"
#include "link/workflows.h"

#include <charconv>
#include <ostream>

namespace tavrino::cli {
namespace {

// Workflows tell the window's messages; the command line reports from the results instead.
class SilentPrompter : public Prompter {
public:
    void tell(const Notice& notice) override { told.push_back(notice); }
    bool ask(const Notice&) override { return false; }
    std::vector<Notice> told;
};

LinkTimeouts timeoutsFrom(const Arguments& args) {
    const auto text = args.value("timeout");
    if (!text) {
        return {};
    }
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), seconds);
    if (ec != std::errc() || end != text->data() + text->size() || seconds <= 0 || seconds > 3600) {
        throw UsageError("--timeout must be a number of seconds above 0, up to 3600, not '" +
                         *text + "'");
    }
    return LinkTimeouts::all(Milliseconds(static_cast<long long>(seconds * 1000 + 0.5)));
}

ConnectionProfile chosenProfile(const Arguments& args, const Context& ctx) {
    ProfilesRead read = loadProfiles(dataFolderOf(ctx));
    const ProfileTable table(std::move(read.profiles));
    const auto name = args.value("profile");
    const int index = name ? table.find(*name) : (table.size() > 0 ? 0 : -1);
    if (index < 0) {
        throw InputRefused(name ? "Profiles.ini: no profile named '" + *name + "'"
                                : std::string("Profiles.ini: no profile"));
    }
    return table.profiles()[static_cast<std::size_t>(index)];
}

// What one run against the receiver needs, kept alive for the workflow.
struct Run {
    Run(const Arguments& args, const Context& ctx)
        : profile(chosenProfile(args, ctx)),
          timeouts(timeoutsFrom(args)), link{profile,  timeouts, dataFolderOf(ctx),
                                             progress, prompter, ctx.cancel} {
        // Ctrl+C cancels the running transfer, so no partial file is left behind.
        if (ctx.cancellable) {
            ctx.cancellable();
        }
    }
    ConnectionProfile profile;
    LinkTimeouts timeouts;
    LinkProgress progress;
    SilentPrompter prompter;
    LinkContext link;
};

void warn(const Context& ctx, const std::string& line) {
    ctx.err << "warning: " << line << '\n';
}

void copyReceived(const ReceiveResult& result, const std::string& to, std::ostream& out) {
    std::vector<Bytes> contents;
    std::vector<FileToWrite> writes;
    contents.reserve(result.files.size());
    for (const auto& file : result.files) {
        if (file.fate == FileFate::Arrived) {
            contents.push_back(
                *readWholeFile(result.stagingFolder / file.name, receiverFileLimit(file.name)));
            writes.push_back({std::filesystem::path(to) / file.name, contents.back()});
        }
    }
    makeFolder(to);
    writeFilesAtomically(writes);
    for (const auto& w : writes) {
        out << "wrote " << w.path.string() << '\n';
    }
}

void receive(const Arguments& args, Context& ctx) {
    args.expectPositional(0);
    Run run(args, ctx);
    const ReceiveResult result = receiveFiles(run.link);
    if (result.cancelled) {
        throw InputRefused("receive: cancelled; nothing was opened");
    }
    if (!result.readyToOpen) {
        throw InputRefused("receive: " + result.problem);
    }
    Workspace ws(*ctx.codePage);
    const OpenResult opened = ws.openStaged(result.stagingFolder);
    if (!opened.opened()) {
        throw InputRefused(opened.problem->oneLine());
    }
    for (const auto& line : result.warnings) {
        warn(ctx, line + "; opened the others without it");
    }
    for (const auto& file : result.files) {
        if (file.fate == FileFate::Arrived) {
            ctx.out << "received " << (result.stagingFolder / file.name).string() << '\n';
        }
    }
    if (const auto to = args.value("to")) {
        copyReceived(result, *to, ctx.out);
    }
}

// Fetches the receiver's files and shows what the send would change there; sends nothing.
void previewSendOf(const Workspace& ws, Run& run, const Arguments& args, Context& ctx) {
    const SendPreview preview = previewSend(ws, run.link, compareOptions(args));
    if (!preview.comparison) {
        throw InputRefused(
            "send: " + (preview.cancelled ? std::string("cancelled") : preview.problem) +
            " - nothing was sent");
    }
    for (const auto& name : preview.missing) {
        warn(ctx, name + ": not on the Orvix; compared as empty");
    }
    printComparison(*preview.comparison, ctx);
}

void send(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    if (args.has("only") && !args.has("dry-run")) {
        throw UsageError("--only needs --dry-run");
    }
    compareOptions(args); // a wrong --only is refused before anything connects
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    Run run(args, ctx);
    if (args.has("dry-run")) {
        previewSendOf(ws, run, args, ctx);
        return;
    }
    const SendOptions options{!args.has("no-backup"), !args.has("no-reload"), 10};
    const SendResult result = sendFiles(ws.files(), options, run.link);
    if (!result.backupFolder.empty()) {
        ctx.out << "backup " << result.backupFolder.string() << '\n';
    }
    for (const auto& name : result.reached()) {
        ctx.out << "sent " << name << '\n';
    }
    if (!result.ok()) {
        std::string line = "send: " + (result.problem.empty()
                                           ? std::string("cancelled; the receiver's files are as "
                                                         "they were")
                                           : result.problem);
        const bool backupNamed = line.find(result.backupFolder.string()) != std::string::npos;
        if (result.receiverChanged() && !result.backupFolder.empty() && !backupNamed) {
            line += " - the receiver's earlier files are in " + result.backupFolder.string();
        }
        throw InputRefused(line);
    }
    if (result.reloaded) {
        ctx.out << "reloaded\n";
    }
}

void telnet(TelnetGoal goal, const Arguments& args, Context& ctx) {
    args.expectPositional(0);
    Run run(args, ctx);
    TcpStream stream;
    const TelnetOutcome outcome = converse(goal, run.link, stream);
    if (!outcome.ok()) {
        throw InputRefused(outcome.notice ? oneLine(*outcome.notice) : std::string("cancelled"));
    }
    ctx.out << (outcome.notice ? oneLine(*outcome.notice) : std::string("reloaded")) << '\n';
}

const std::set<std::string> linkOptions = {"profile", "timeout"};

std::set<std::string> plus(std::set<std::string> names, std::initializer_list<const char*> more) {
    names.insert(more.begin(), more.end());
    return names;
}

} // namespace

std::vector<Command> transferCommands() {
    const std::string common = "\nWithout --profile the first profile is used; --timeout bounds "
                               "each wait (connect,\neach reply or prompt, data idle), 10 s "
                               "by default.";
    return {
        {"receive",
         "[--profile NAME] [--to DIR] [--timeout SECONDS]",
         "Fetches all_channel.dat, antenna_list.dat and DVBS.dat from /DISK2 on the receiver\n"
         "into the staging folder and opens them; with --to, also writes them to DIR." +
             common,
         plus(linkOptions, {"to"}),
         {},
         receive},
        {"send",
         "DIR [--profile NAME] [--no-reload] [--no-backup] [--timeout SECONDS]\n"
         "       [--dry-run [--only services|bouquets|satellites]]",
         "Opens DIR as \"Open Files\" does, backs up the receiver's three files into\n"
         "backups/receiver/ in the data folder, uploads the files as a save writes them under\n"
         "temporary names, renames them over the receiver's files once all three are complete\n"
         "and has the receiver reload them.\n"
         "--dry-run fetches the receiver's files into a temporary folder and prints what the\n"
         "send would change there, as diff does (receiver -> DIR); it uploads nothing and\n"
         "reloads nothing." +
             common,
         plus(linkOptions, {"only"}),
         {"no-reload", "no-backup", "dry-run"},
         send},
        {"test-connection",
         "[--profile NAME] [--timeout SECONDS]",
         "Opens a telnet connection to the receiver and closes it." + common,
         linkOptions,
         {},
         [](const Arguments& a, Context& c) { telnet(TelnetGoal::TestConnection, a, c); }},
        {"test-login",
         "[--profile NAME] [--timeout SECONDS]",
         "Logs in over telnet and closes the connection without a command, then logs in\n"
         "over FTP (as receive and send do), and says which login worked." +
             common,
         linkOptions,
         {},
         [](const Arguments& a, Context& c) { telnet(TelnetGoal::TestLogin, a, c); }},
        {"reload",
         "[--profile NAME] [--timeout SECONDS]",
         "Logs in over telnet and has the receiver reload its lists." + common,
         linkOptions,
         {},
         [](const Arguments& a, Context& c) { telnet(TelnetGoal::Reload, a, c); }},
    };
}

} // namespace tavrino::cli
