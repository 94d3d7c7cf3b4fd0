#pragma once

#include "cli/cli.h"
#include "test_support.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/wait.h> // cli_process_test reads exit statuses through this header
#include <vector>

namespace tavrino::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The test program's own data folder: no test reads or writes the user's.
inline const TempDir& cliDataFolder() {
    static const TempDir folder;
    return folder;
}

// Runs a tavrino-cli command line (the arguments after the program's name) in this process,
// with the test's data folder unless the arguments name one (--data-dir).
inline CliRun runCli(const std::vector<std::string>& args, const CancelToken& cancel = {}) {
    std::vector<std::string> all = {"--data-dir", cliDataFolder().path().string()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = cli::run(all, out, err, cancel);
    return {exitCode, out.str(), err.str()};
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

} // namespace tavrino::test
