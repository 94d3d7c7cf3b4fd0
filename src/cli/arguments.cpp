#include "cli/arguments.h"

#include "common/excerpt.h"

#include <algorithm>
#include <charconv>

namespace tavrino::cli {

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& valued,
                     const std::set<std::string>& flags) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            std::string name = a.substr(2);
            std::optional<std::string> inlineValue;
            if (const auto eq = name.find('='); eq != std::string::npos) {
                inlineValue = name.substr(eq + 1);
                name.resize(eq);
            }
            if (flags.count(name) != 0 && !inlineValue) {
                options_[name] = "";
            } else if (valued.count(name) != 0) {
                if (!inlineValue && i + 1 >= args.size()) {
                    throw UsageError("--" + name + " needs a value");
                }
                options_[name] = inlineValue ? *inlineValue : args[++i];
            } else {
                throw UsageError("unknown option --" + name);
            }
        } else {
            positional_.push_back(a);
        }
    }
}

const std::string& Arguments::positional(std::size_t i, const char* what) const {
    if (i >= positional_.size()) {
        throw UsageError(std::string("missing ") + what);
    }
    return positional_[i];
}

void Arguments::expectPositional(std::size_t count) const {
    if (positional_.size() > count) {
        throw UsageError("unexpected argument '" + excerpt(positional_[count]) + "'");
    }
}

std::optional<std::string> Arguments::value(const std::string& name) const {
    const auto it = options_.find(name);
    if (it == options_.end()) {
        return std::nullopt;
    }
    return it->second;
}

int Arguments::intValue(const std::string& name, int fallback, int min, int max) const {
    const auto text = value(name);
    if (!text) {
        return fallback;
    }
    return parseInt(*text, ("--" + name).c_str(), min, max);
}

int parseInt(const std::string& text, const char* what, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        throw UsageError(std::string(what) + " must be a whole number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not '" + excerpt(text) + "'");
    }
    return value;
}

int parseEntry(const std::vector<std::string>& list, const std::string& text,
               const std::string& what) {
    const auto it = std::find(list.begin(), list.end(), text);
    if (it != list.end()) {
        return static_cast<int>(it - list.begin());
    }
    std::string entries;
    for (const auto& entry : list) {
        if (entries.find("\"" + entry + "\"") == std::string::npos) {
            entries += (entries.empty() ? "\"" : ", \"") + entry + "\"";
        }
    }
    throw UsageError(what + " takes one of " + entries + ", not '" + excerpt(text) + "'");
}

} // namespace tavrino::cli
