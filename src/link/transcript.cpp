#include "link/transcript.h"

namespace tavrino {

TranscriptChange Transcript::append(std::string_view chunk) {
    TranscriptChange change;
    if (text_.size() >= limit) {
        text_.clear();
        change.cleared = true;
    }
    std::string line;
    for (const char c : chunk) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code <= 229) {
            line += c;
        } else if (code == 13) {
            change.added += line + "\r\n";
            line.clear();
        }
    }
    change.added += line + "\r\n";
    text_ += change.added;
    return change;
}

TranscriptChange Transcript::clear() {
    text_.clear();
    return {true, {}};
}

} // namespace tavrino
