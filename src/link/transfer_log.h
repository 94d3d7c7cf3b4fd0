#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tavrino {

// FTPLog.txt in the staging folder: one line per event, each starting with the local date
// and time, lines ended by CR LF. Opened for a session only once the login succeeded.
class TransferLog {
public:
    using Clock = std::function<std::string()>; // the time stamp text

    explicit TransferLog(std::filesystem::path path, Clock clock = localTimeStamp);
    ~TransferLog(); // writes the close line when the start line was written
    TransferLog(const TransferLog&) = delete;
    TransferLog& operator=(const TransferLog&) = delete;

    void sessionStart();
    void downloaded(const std::string& serverPath, const std::filesystem::path& localPath);
    void uploaded(const std::filesystem::path& localPath, const std::string& serverPath);
    // "File not found - Unable To Complete Request." and other reasons.
    void unable(const std::string& reason);

    // The date in the locale's short form, a blank, the time in its long form.
    static std::string localTimeStamp();

private:
    void write(const std::string& event);

    std::filesystem::path path_;
    Clock clock_;
    bool started_ = false;
};

} // namespace tavrino
