#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrino::cli {

// Wrong usage: exit code 1.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Positional arguments and --name value options of one command line.
class Arguments {
public:
    // `valued` names the options that take a value; `flags` those that do not.
    Arguments(const std::vector<std::string>& args, const std::set<std::string>& valued,
              const std::set<std::string>& flags);

    const std::vector<std::string>& positional() const { return positional_; }
    const std::string& positional(std::size_t i, const char* what) const;
    void expectPositional(std::size_t count) const;

    bool has(const std::string& name) const { return options_.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    int intValue(const std::string& name, int fallback, int min, int max) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
};

int parseInt(const std::string& text, const char* what, int min, int max);

// Position of `text` in a list of entries (the first of equal ones).
int parseEntry(const std::vector<std::string>& list, const std::string& text,
               const std::string& what);

} // namespace tavrino::cli
