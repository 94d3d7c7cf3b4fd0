#pragma once

#include "common/notice.h"
#include "link/link_context.h"
#include "link/profiles.h"

#include <string>
#include <vector>

namespace tavrino {

namespace linktext {
// The connection status window's texts.
inline constexpr const char* connecting = "Conecting...";
inline constexpr const char* downloading = "Downloading...";
inline constexpr const char* uploading = "Uploading...";
inline constexpr const char* login = "Login...";
inline constexpr const char* reload = "Reload...";
inline constexpr const char* success = "Success.";
inline constexpr const char* backup = "Backup...";

inline constexpr const char* receiverFolder = "/DISK2";
} // namespace linktext

// FTP: title "Error", no icon.
Notice invalidLoginNotice();
Notice noConnectionNotice(const std::string& detail);
// A file the receiver does not have: the transfer's reason and the workflow's line in one.
Notice fileNotFoundNotice(const std::string& fileName);
Notice noFolderNotice(const std::string& folder, const std::string& reply);
Notice ftpTimeoutNotice(const std::string& detail);
Notice downloadFailedNotice(const std::string& fileName, const std::string& why);

// Telnet: title "Failure", critical icon; the test buttons' success: "Information".
Notice couldNotConnectNotice(const ConnectionProfile& profile, const std::string& why);
Notice loginIncorrectNotice(const ConnectionProfile& profile);
Notice connectedNotice(const ConnectionProfile& profile);
Notice telnetTimeoutNotice(const std::string& awaited, Milliseconds limit, bool commandSent);
Notice telnetClosedNotice(const std::string& awaited, bool commandSent);

// Receive and send.
Notice notOpenedNotice(const std::vector<std::string>& missing);
Notice sendNeedsAllFilesNotice();
Notice backupFailedNotice(const std::string& why);
// A send that stopped: why, which files are on the receiver, where the backup is.
Notice sendStoppedNotice(const std::string& why, const std::vector<std::string>& reached,
                         const std::vector<std::string>& notSent, const std::string& backup);
Notice reloadFailedNotice(const Notice& telnet);
Notice restoreQuestion(const std::string& backupFolder);

// A notice as one line for a terminal.
std::string oneLine(const Notice& notice);
// Server texts we pass on may not carry the password, whatever the server put in them.
std::string withoutPassword(std::string text, const std::string& password);
// "10 s", "0.5 s".
std::string secondsText(Milliseconds limit);

} // namespace tavrino
