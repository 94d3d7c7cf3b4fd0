#include "link/link_messages.h"

namespace tavrino {

namespace {

constexpr const char* crlf = "\r\n";
const std::string paragraph = "\r\n\r\n";

Notice errorNotice(std::string text) {
    return {"Error", std::move(text), NoticeIcon::None};
}

Notice failureNotice(std::string text) {
    return {"Failure", std::move(text), NoticeIcon::Critical};
}

std::string hostAndPort(const ConnectionProfile& p) {
    return "IP address " + p.address + " (port" + std::to_string(p.telnetPort) + ")";
}

std::string listed(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "none";
    }
    std::string out;
    for (const auto& name : names) {
        out += (out.empty() ? "" : ", ") + name;
    }
    return out;
}

std::string withDetail(std::string text, const std::string& detail) {
    return detail.empty() ? text : text + paragraph + detail;
}

std::string waitedFor(const std::string& awaited, bool commandSent) {
    return commandSent
               ? "The reload command was sent, but the Orvix did not show \"" + awaited + "\" again"
               : "The Orvix did not send \"" + awaited + "\"";
}

std::string afterWait(bool commandSent) {
    return commandSent ? "." : "; nothing more was sent.";
}

} // namespace

Notice invalidLoginNotice() {
    return errorNotice("Invalid username or password");
}

Notice noConnectionNotice(const std::string& detail) {
    return errorNotice(withDetail("Unknown Error: No connection Established", detail));
}

Notice fileNotFoundNotice(const std::string& fileName) {
    return {"Tavrino",
            "File not found - Unable To Complete Request." + paragraph + fileName +
                " - Empty file !!!",
            NoticeIcon::None};
}

Notice noFolderNotice(const std::string& folder, const std::string& reply) {
    return failureNotice(withDetail(
        "The folder " + folder + " is not on the Orvix: nothing was transferred.", reply));
}

Notice ftpTimeoutNotice(const std::string& detail) {
    return failureNotice(withDetail("The Orvix stopped answering.", detail));
}

Notice downloadFailedNotice(const std::string& fileName, const std::string& why) {
    return failureNotice(fileName + " was not received: " + why);
}

Notice couldNotConnectNotice(const ConnectionProfile& profile, const std::string& why) {
    return failureNotice("Could not open connection to the host - " + hostAndPort(profile) +
                         paragraph + why);
}

Notice loginIncorrectNotice(const ConnectionProfile& profile) {
    // The password stays hidden: a message can end up in a screenshot or a bug report.
    return failureNotice("Login incorrect - Username : " + profile.userName +
                         " / Password : ********" + paragraph);
}

Notice connectedNotice(const ConnectionProfile& profile) {
    return {"Information",
            "Successfully connected to the Orvix on " + hostAndPort(profile) + paragraph,
            NoticeIcon::Information};
}

Notice telnetTimeoutNotice(const std::string& awaited, Milliseconds limit, bool commandSent) {
    return failureNotice(waitedFor(awaited, commandSent) + " within " + secondsText(limit) +
                         afterWait(commandSent));
}

Notice telnetClosedNotice(const std::string& awaited, bool commandSent) {
    return failureNotice("The Orvix closed the connection. " + waitedFor(awaited, commandSent) +
                         afterWait(commandSent));
}

Notice notOpenedNotice(const std::vector<std::string>& missing) {
    return limitNotice("Nothing was opened: " + listed(missing) + " did not arrive !!!");
}

Notice sendNeedsAllFilesNotice() {
    return limitNotice("Open all_channel.dat, antenna_list.dat and DVBS.dat before sending !!!");
}

Notice backupFailedNotice(const std::string& why) {
    return failureNotice("The receiver's files could not be backed up, so nothing was sent." +
                         paragraph + why);
}

Notice sendStoppedNotice(const std::string& why, const std::vector<std::string>& reached,
                         const std::vector<std::string>& notSent, const std::string& backup) {
    std::string text = why + paragraph;
    text += "On the Orvix now: " + listed(reached) + crlf;
    text += "Not sent: " + listed(notSent) + crlf;
    text += "The Orvix was not told to reload.";
    if (!backup.empty()) {
        text += paragraph + "Its earlier files are in " + backup;
    }
    return failureNotice(text);
}

Notice reloadFailedNotice(const Notice& telnet) {
    return {telnet.title,
            telnet.text + paragraph +
                "The three files are on the Orvix, but it did not reload them.",
            telnet.icon};
}

Notice restoreQuestion(const std::string& backupFolder) {
    return confirmQuestion("Put the files backed up before sending back on the Orvix?" + paragraph +
                           backupFolder);
}

std::string oneLine(const Notice& notice) {
    std::string out;
    std::string line;
    auto flush = [&] {
        if (!line.empty()) {
            out += (out.empty() ? "" : " - ") + line;
            line.clear();
        }
    };
    for (const char c : notice.text) {
        if (c == '\r' || c == '\n') {
            flush();
        } else {
            line += c;
        }
    }
    flush();
    return out;
}

std::string withoutPassword(std::string text, const std::string& password) {
    if (password.empty()) {
        return text;
    }
    for (auto at = text.find(password); at != std::string::npos; at = text.find(password, at + 8)) {
        text.replace(at, password.size(), "********");
    }
    return text;
}

std::string secondsText(Milliseconds limit) {
    const auto ms = limit.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') {
            fraction.pop_back();
        }
        text += "." + fraction;
    }
    return text + " s";
}

} // namespace tavrino
