#pragma once

#include "common/notice.h"
#include "link/link_context.h"
#include "link/profiles.h"

#include <cstdint>
#include <optional>
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

// Telnet: title "Failure", critical icon; the test buttons' success: "Information".
Notice couldNotConnectNotice(const ConnectionProfile& profile, const std::string& why);
Notice loginIncorrectNotice(const ConnectionProfile& profile);
Notice connectedNotice(const ConnectionProfile& profile);
Notice telnetTimeoutNotice(const std::string& awaited, Milliseconds limit, bool commandSent);
Notice telnetClosedNotice(const std::string& awaited, bool commandSent);
// "Test Username / Pass.": the telnet notice, then a line for each login; `ftpWhy` is empty
// when the FTP login was accepted.
Notice loginTestNotice(const ConnectionProfile& profile, const Notice& telnet, bool telnetOk,
                       const std::string& ftpWhy);

// Receive and send.
// A download that began and failed: the receive opens nothing.
Notice receiveFailedNotice(const std::string& fileName, const std::string& why);
// Files the receiver does not have, and which of them keep the others from being opened.
Notice missingNotOpenedNotice(const std::vector<std::string>& missing,
                              const std::vector<std::string>& needed);
Notice sendNeedsAllFilesNotice();
Notice backupFailedNotice(const std::string& why);
// A send that stopped before any of the receiver's files changed; `more` may be empty.
Notice nothingChangedNotice(const std::string& why, const std::string& more);
// A send that stopped after some of the receiver's files changed: why, the file it cut short
// (or empty), which files are new and which the receiver's own, where the backup is.
Notice sendStoppedNotice(const std::string& why, const std::string& damage,
                         const std::vector<std::string>& replaced,
                         const std::vector<std::string>& unchanged, const std::string& backup);
Notice reloadFailedNotice(const Notice& telnet);
Notice reloadCancelledNotice();
Notice restoreQuestion(const std::string& backupFolder);

// Why nothing may connect to `port`, or nullopt when it is one (1 to 65535).
std::optional<std::string> portProblem(std::int64_t port);
// "7,611,800": byte counts in messages.
std::string bytesText(std::uint64_t bytes);

// A notice as one line for a terminal.
std::string oneLine(const Notice& notice);
// Server texts we pass on may not carry the password, whatever the server put in them.
std::string withoutPassword(std::string text, const std::string& password);
// "10 s", "0.5 s".
std::string secondsText(Milliseconds limit);

} // namespace tavrino
