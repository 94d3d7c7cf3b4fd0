#include "link/ftp_reply.h"

namespace tavrino {

namespace {

// The code at the start of a line and the character after it ('-' opens a multi-line
// reply), or 0 when the line does not start with three digits.
int codeOf(std::string_view line, char& mark) {
    if (line.size() < 3) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return 0;
        }
        code = code * 10 + (line[i] - '0');
    }
    mark = line.size() > 3 ? line[3] : ' ';
    return code;
}

} // namespace

void FtpReplyReader::feed(std::string_view text) {
    partial_.append(text);
    std::size_t start = 0;
    for (auto end = partial_.find('\n'); end != std::string::npos;
         end = partial_.find('\n', start)) {
        std::string_view line(partial_.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        takeLine(line);
        start = end + 1;
    }
    partial_.erase(0, start);
}

void FtpReplyReader::takeLine(std::string_view line) {
    char mark = 0;
    const int code = codeOf(line, mark);
    if (openCode_ != 0) {
        if (code == openCode_ && mark == ' ') {
            last_ = FtpReply{code, std::string(line)};
            openCode_ = 0;
        }
        return;
    }
    if (code == 0) {
        return;
    }
    if (mark == '-') {
        openCode_ = code;
    } else if (mark == ' ') {
        last_ = FtpReply{code, std::string(line)};
    }
}

std::optional<std::string> quotedFolder(std::string_view line) {
    const auto open = line.find('"');
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    std::string folder;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            folder += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            folder += '"'; // a doubled quote stands for one
            ++i;
        } else {
            return folder;
        }
    }
    return std::nullopt;
}

} // namespace tavrino
