#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrino {

struct FtpReply {
    int code = 0;
    std::string line; // the final line of the reply, without its line end

    bool operator==(const FtpReply&) const = default;
};

// Splits the server's side of an FTP control connection into replies. The code of a reply
// is the one on its final line ("230 ..."); lines of a multi-line reply ("230-...") and
// numbers inside texts never count.
class FtpReplyReader {
public:
    void feed(std::string_view text);
    const std::optional<FtpReply>& last() const { return last_; }
    void forget() { last_.reset(); }

private:
    void takeLine(std::string_view line);

    std::string partial_;
    int openCode_ = 0; // the code of a multi-line reply not yet ended
    std::optional<FtpReply> last_;
};

// The folder in a 257 reply: "257 "/DISK2" is the current directory." gives /DISK2.
std::optional<std::string> quotedFolder(std::string_view line);

} // namespace tavrino
