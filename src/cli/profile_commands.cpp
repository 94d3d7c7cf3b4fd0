#include "cli/command.h"
#include "common/data_folder.h"
#include "database/file_io.h"
#include "link/link_messages.h"
#include "link/profile_store.h"
#include "link/profiles.h"

#include <ostream>

namespace tavrino::cli {

std::filesystem::path dataFolderOf(const Context& ctx) {
    return resolveDataFolder(ctx.dataDir);
}

namespace {

ProfileTable loadTable(const Context& ctx) {
    ProfilesRead read = loadProfiles(dataFolderOf(ctx));
    if (read.problem) {
        ctx.err << "warning: " << oneLine(*read.problem) << '\n';
    }
    return ProfileTable(std::move(read.profiles));
}

void list(const Arguments& args, Context& ctx) {
    args.expectPositional(0);
    const ProfileTable table = loadTable(ctx);
    TableWriter writer({"Name", "Address", "User", "FtpPort", "TelnetPort", "Passive", "Prompt"});
    for (const auto& p : table.profiles()) {
        writer.add({p.profileName, p.address, p.userName, std::to_string(p.ftpPort),
                    std::to_string(p.telnetPort), p.passive ? "1" : "0", p.prompt});
    }
    writer.print(ctx.out, ctx.format);
}

// The password file's text without one final line end.
std::string passwordFrom(const std::string& path) {
    const auto bytes = readWholeFile(path, smallTextFileLimit);
    if (!bytes) {
        throw InputRefused(path + ": no such file");
    }
    std::string text(bytes->begin(), bytes->end());
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
    return text;
}

void refuseOn(const ProfilesChanged& changed) {
    if (changed.refusal) {
        throw InputRefused(oneLine(*changed.refusal));
    }
}

void add(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    ConnectionProfile p;
    p.profileName = args.positional(0, "NAME");
    const auto address = args.value("address");
    if (!address) {
        throw UsageError("--address is needed");
    }
    p.address = *address;
    p.userName = args.value("user").value_or("root");
    if (const auto file = args.value("password-file")) {
        p.password = passwordFrom(*file);
    }
    p.ftpPort = args.intValue("ftp-port", 21, 1, 65535);
    p.telnetPort = args.intValue("telnet-port", 23, 1, 65535);
    p.passive = args.has("passive");
    p.prompt = args.value("prompt").value_or("[~]$");
    const ProfilesChanged changed =
        changeProfiles(dataFolderOf(ctx), {ProfileChange::Kind::Add, {}, -1, p, 0});
    refuseOn(changed);
    ctx.out << "added profile " << trimmedName(p.profileName) << '\n';
}

void remove(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    const std::string name = args.positional(0, "NAME");
    const ProfilesChanged changed =
        changeProfiles(dataFolderOf(ctx), {ProfileChange::Kind::Remove, name, -1, {}, 0});
    refuseOn(changed);
    ctx.out << "removed profile " << name << '\n';
}

} // namespace

std::vector<Command> profileCommands() {
    return {
        {"profiles",
         "",
         "Lists the connection profiles of Profiles.ini in the data folder (created with the\n"
         "default profile when missing): Name,Address,User,FtpPort,TelnetPort,Passive,Prompt.\n"
         "Passwords are never shown.",
         {},
         {},
         list},
        {"profile-add",
         "NAME --address A [--user U] [--password-file F] [--ftp-port N] [--telnet-port N]\n"
         "                       [--passive] [--prompt P]",
         "Adds a profile at the end (at most 101; the name without blanks around it, not\n"
         "empty and not taken). The password is read from F, without one final line end.\n"
         "Defaults: user root, ports 21 and 23, active FTP, prompt [~]$.",
         {"address", "user", "password-file", "ftp-port", "telnet-port", "prompt"},
         {"passive"},
         add},
        {"profile-remove",
         "NAME",
         "Removes the profile NAME; the last profile stays.",
         {},
         {},
         remove},
    };
}

} // namespace tavrino::cli
