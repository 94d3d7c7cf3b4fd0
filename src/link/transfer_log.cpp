#include "link/transfer_log.h"

#include <ctime>
#include <fcntl.h>
#include <iomanip>
#include <locale>
#include <sstream>
#include <unistd.h>

namespace tavrino {

TransferLog::TransferLog(std::filesystem::path path, Clock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {}

TransferLog::~TransferLog() {
    if (started_) {
        write("Session Close");
    }
}

void TransferLog::sessionStart() {
    started_ = true;
    write("Session Start");
}

void TransferLog::downloaded(const std::string& serverPath,
                             const std::filesystem::path& localPath) {
    write("Remote Filename: " + serverPath + " DOWNLOADED to " + localPath.string());
}

void TransferLog::uploaded(const std::filesystem::path& localPath, const std::string& serverPath) {
    write("Local Filename: " + localPath.string() + " UPLOADED to " + serverPath);
}

void TransferLog::unable(const std::string& reason) {
    write(reason + " - Unable To Complete Request.");
}

std::string TransferLog::localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::ostringstream out;
    try {
        out.imbue(std::locale(""));
    } catch (const std::runtime_error&) {
        // An unknown locale in the environment: the classic one still gives a stamp.
    }
    out << std::put_time(&local, "%x %X");
    return out.str();
}

// A log line that cannot be written must not fail the transfer it describes.
void TransferLog::write(const std::string& event) {
    const std::string line = clock_() + " -> " + event + "\r\n";
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
}

} // namespace tavrino
