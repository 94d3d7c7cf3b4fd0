#pragma once

#include "cli/cli.h"
#include "test_support.h"

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tavrino::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The data folder of every command run by runCli that names none of its own (--data-dir).
inline const TempDir& cliDataFolder() {
    static const TempDir folder;
    return folder;
}

// Runs a tavrino-cli command line (the arguments after the program's name) in this process.
inline CliRun runCli(const std::vector<std::string>& args, const CancelToken& cancel = {}) {
    std::vector<std::string> all = {"--data-dir", cliDataFolder().path().string()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.exitCode = cli::run(all, out, err, cancel);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// Runs `program args` through the shell and keeps its exit code, stdout and stderr: for what
// only separate processes show.
inline CliRun runProgram(const std::string& program, const std::string& args) {
    TempDir tmp;
    const std::string command = program + " " + args + " 2>" + (tmp / "err").string();
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.out.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes err = readFile(tmp / "err");
    run.err.assign(err.begin(), err.end());
    return run;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

} // namespace tavrino::test
