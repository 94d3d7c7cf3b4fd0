#pragma once

#include "link/link_context.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tavrino::cli {

// Runs one tavrino-cli command line (the arguments after the program's name) and returns its
// exit status: 0 success, 1 wrong usage, 2 refused or failed. Output goes to `out`, notes and
// refusals to `err`. A command that stops cleanly once `cancel` is set calls `cancellable` as
// it starts; main() has Ctrl+C set the token from then on.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const CancelToken& cancel, const std::function<void()>& cancellable = {});

// The same, with nothing to cancel it.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tavrino::cli
