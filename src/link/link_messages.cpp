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
    const std::string text = "Unknown Error: No connection Established";
    return errorNotice(detail.empty() ? text : text + " (" + detail + ")");
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

Notice loginTestNotice(const ConnectionProfile& profile, const Notice& telnet, bool telnetOk,
                       const std::string& ftpWhy) {
    std::string text = telnet.text;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    text += paragraph;
    text += "Telnet login (Telnet Port " + std::to_string(profile.telnetPort) +
            ", used by Restart and after Send): " +
            (telnetOk ? "accepted for " + profile.userName + "." : "failed, as said above.") + crlf;
    text += "FTP login (FTP Port " + std::to_string(profile.ftpPort) +
            ", used by Receive and Send): " +
            (ftpWhy.empty() ? "accepted for " + profile.userName + ", and " +
                                  linktext::receiverFolder + " is there."
                            : ftpWhy + ".");
    if (telnetOk && ftpWhy.empty()) {
        return {telnet.title, text, telnet.icon};
    }
    return telnetOk ? failureNotice(text) : Notice{telnet.title, text, telnet.icon};
}

Notice receiveFailedNotice(const std::string& fileName, const std::string& why) {
    return failureNotice(fileName + " was not received: " + why + "." + paragraph +
                         "Nothing was opened.");
}

Notice missingNotOpenedNotice(const std::vector<std::string>& missing,
                              const std::vector<std::string>& needed) {
    std::string text = "File not found - Unable To Complete Request." + paragraph;
    for (const auto& name : missing) {
        text += name + " - Empty file !!!" + crlf;
    }
    return limitNotice(text + crlf + "Nothing was opened: " + listed(needed) +
                       " did not arrive !!!");
}

Notice sendNeedsAllFilesNotice() {
    return limitNotice("Open all_channel.dat, antenna_list.dat and DVBS.dat before sending !!!");
}

Notice backupFailedNotice(const std::string& why) {
    return failureNotice("The receiver's files could not be backed up, so nothing was sent." +
                         paragraph + why);
}

Notice nothingChangedNotice(const std::string& why, const std::string& more) {
    std::string text = why + paragraph + "Nothing on the Orvix was changed.";
    return failureNotice(more.empty() ? text : text + paragraph + more);
}

Notice sendStoppedNotice(const std::string& why, const std::string& damage,
                         const std::vector<std::string>& replaced,
                         const std::vector<std::string>& unchanged, const std::string& backup) {
    std::string text = why + paragraph;
    if (!damage.empty()) {
        text += damage + crlf;
    }
    text += "New on the Orvix: " + listed(replaced) + crlf;
    text += "Unchanged on the Orvix: " + listed(unchanged) + crlf;
    text += "The Orvix was not told to reload.";
    return failureNotice(text + paragraph + backup);
}

Notice reloadFailedNotice(const Notice& telnet) {
    return {telnet.title,
            telnet.text + paragraph +
                "The three files are on the Orvix, but it did not reload them.",
            telnet.icon};
}

Notice reloadCancelledNotice() {
    return {"Information",
            "Sending was cancelled after the three files were put on the Orvix, so it was not "
            "told to reload them.",
            NoticeIcon::Information};
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

std::optional<std::string> portProblem(std::int64_t port) {
    if (port >= 1 && port <= 65535) {
        return std::nullopt;
    }
    return "port " + std::to_string(port) + " does not exist: ports run from 1 to 65535";
}

std::string bytesText(std::uint64_t bytes) {
    std::string digits = std::to_string(bytes);
    for (auto at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
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
