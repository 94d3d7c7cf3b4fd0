#pragma once

#include "link/link_context.h"

#include <string>
#include <string_view>

namespace tavrino {

// The telnet transcript pane: codes 32 to 229 are kept, CR ends a line, everything else
// (LF, control codes, telnet commands) is dropped, and every chunk ends its line. The pane
// is cleared when a chunk arrives while it holds 20,000 characters or more.
class Transcript {
public:
    static constexpr std::size_t limit = 20000;

    TranscriptChange append(std::string_view chunk);
    TranscriptChange clear();
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace tavrino
