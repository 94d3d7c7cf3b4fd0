#include "cli/cli.h"

#include <csignal>
#include <iostream>

namespace {

tavrino::CancelToken interrupted;

// From here on Ctrl+C (or a kill) cancels the running transfer, which then stops cleanly and
// leaves no partial file behind; before it, the signal ends the program as usual.
void cancelOnInterrupt() {
    std::signal(SIGINT, [](int) { interrupted.cancel(); });
    std::signal(SIGTERM, [](int) { interrupted.cancel(); });
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return tavrino::cli::run(args, std::cout, std::cerr, interrupted, cancelOnInterrupt);
}
