#include "link/profiles.h"

#include <cmath>
#include <limits>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t linesPerProfile = 9;
constexpr std::int32_t activeCaptionColor = -2147483646; // 0x80000002
constexpr const char* lineEnd = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Like the field conversion of the original: an optional fraction rounds half to even.
std::optional<std::int32_t> numberIn(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i++] == '-';
    }
    double value = 0;
    bool digits = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && isDigit(text[i]); ++i, scale /= 10) {
            value += (text[i] - '0') * scale;
            digits = true;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    value = std::nearbyint(negative ? -value : value); // the default rounding is to even
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < low ? low : (value > high ? high : value));
}

std::string numberField(std::int32_t value) {
    return (value >= 0 ? " " : "") + std::to_string(value) + " ";
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

ConnectionProfile profileFrom(const std::vector<std::string_view>& lines, std::size_t first) {
    const auto line = [&](std::size_t i) { return std::string(lines[first + i]); };
    ConnectionProfile p;
    p.profileName = line(0);
    p.address = line(1);
    p.userName = line(2);
    p.password = line(3);
    p.ftpPort = leadingNumber(lines[first + 4]);
    p.telnetPort = leadingNumber(lines[first + 5]);
    p.passive = leadingNumber(lines[first + 6]) != 0;
    p.prompt = line(7);
    p.foreColor = numberIn(lines[first + 8]);
    return p;
}

bool onlyEmptyLines(const std::vector<std::string_view>& lines, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (!lines[i].empty()) {
            return false;
        }
    }
    return true;
}

Notice profilesNotice(std::string text) {
    return {"Tavrino", std::move(text), NoticeIcon::Exclamation};
}

bool holdsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

ConnectionProfile defaultProfile() {
    ConnectionProfile p;
    p.profileName = "TEST Connection";
    p.address = "192.168.1.36";
    p.userName = "root";
    p.password = "kelvo";
    p.prompt = "[~]$";
    p.foreColor = activeCaptionColor;
    return p;
}

std::int32_t leadingNumber(std::string_view text) {
    return numberIn(text).value_or(0);
}

ConnectionProfile profileFromFields(const ProfileFields& f) {
    ConnectionProfile p;
    p.profileName = f.profileName;
    p.address = f.address;
    p.userName = f.userName;
    p.password = f.password;
    p.ftpPort = leadingNumber(f.ftpPort);
    p.telnetPort = leadingNumber(f.telnetPort);
    p.passive = f.passive;
    p.prompt = f.prompt;
    return p;
}

ProfileFields fieldsOfProfile(const ConnectionProfile& p) {
    return {p.profileName,
            p.address,
            p.userName,
            p.password,
            std::to_string(p.ftpPort),
            std::to_string(p.telnetPort),
            p.passive,
            p.prompt};
}

std::optional<Notice> portsProblem(const ConnectionProfile& p) {
    for (const auto& [caption, port] :
         {std::pair{"FTP Port :", p.ftpPort}, std::pair{"Telnet Port :", p.telnetPort}}) {
        if (port < 1 || port > 65535) {
            return refuseField(caption, std::to_string(port) + " is not a port number (1 to 65535)")
                .notice;
        }
    }
    return std::nullopt;
}

std::optional<Notice> profileProblem(const ConnectionProfile& p) {
    for (const std::string* field :
         {&p.profileName, &p.address, &p.userName, &p.password, &p.prompt}) {
        if (holdsLineBreak(*field)) {
            return profilesNotice("A profile field cannot hold a line break !!!");
        }
    }
    if (p.prompt.empty()) {
        // An empty prompt matches at once: the password would be sent to the shell.
        return profilesNotice("Command promt must not be empty !!!");
    }
    return portsProblem(p);
}

std::string trimmedName(std::string_view name) {
    while (!name.empty() && isBlank(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && isBlank(name.back())) {
        name.remove_suffix(1);
    }
    return std::string(name);
}

ProfilesRead parseProfiles(std::string_view text, std::string_view fileName) {
    const auto lines = splitLines(text);
    ProfilesRead read;
    std::size_t at = 0;
    for (; at + linesPerProfile <= lines.size(); at += linesPerProfile) {
        if (read.profiles.size() == ProfileTable::capacity) {
            read.damage = "it holds more than 101 profiles (the 102nd starts at line " +
                          std::to_string(at + 1) + ")";
            break;
        }
        read.profiles.push_back(profileFrom(lines, at));
    }
    if (!read.damage && !onlyEmptyLines(lines, at)) {
        read.damage = "it ends inside profile " + std::to_string(read.profiles.size() + 1) +
                      " (lines " + std::to_string(at + 1) + " to " + std::to_string(lines.size()) +
                      ")";
    }
    if (read.damage) {
        const std::size_t n = read.profiles.size();
        const std::string kept =
            n == 0   ? "No profile could be read"
            : n == 1 ? "Only its first profile was read"
                     : "Only its first " + std::to_string(n) + " profiles were read";
        read.problem = profilesNotice(std::string(fileName) + ": " + *read.damage + ". " + kept +
                                      "; the file is left as it is and not rewritten until it is "
                                      "mended !!!");
    }
    return read;
}

std::string formatProfiles(const std::vector<ConnectionProfile>& profiles) {
    std::string out;
    for (const auto& p : profiles) {
        for (const std::string& field :
             {p.profileName, p.address, p.userName, p.password, numberField(p.ftpPort),
              numberField(p.telnetPort), numberField(p.passive ? 1 : 0), p.prompt,
              p.foreColor ? numberField(*p.foreColor) : std::string()}) {
            out += field;
            out += lineEnd;
        }
    }
    return out;
}

std::string formatDefaultProfilesFile() {
    const ConnectionProfile p = defaultProfile();
    std::string out;
    for (const std::string& field :
         {p.profileName, p.address, p.userName, p.password, std::string("21"), std::string("23"),
          std::string("0"), p.prompt, numberField(*p.foreColor)}) {
        out += field;
        out += lineEnd;
    }
    return out;
}

ProfileTable::ProfileTable(std::vector<ConnectionProfile> profiles)
    : profiles_(std::move(profiles)) {
    if (profiles_.size() > capacity) {
        profiles_.resize(capacity);
    }
    selected_ = profiles_.empty() ? -1 : 0;
}

const ConnectionProfile* ProfileTable::active() const {
    return selected_ < 0 ? nullptr : &profiles_[static_cast<std::size_t>(selected_)];
}

void ProfileTable::select(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < profiles_.size()) {
        selected_ = index;
    }
}

int ProfileTable::find(std::string_view name) const {
    const std::string wanted = trimmedName(name);
    for (std::size_t i = 0; i < profiles_.size(); ++i) {
        if (trimmedName(profiles_[i].profileName) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ProfileTable::locate(std::string_view name, int seenAt) const {
    if (seenAt >= 0 && static_cast<std::size_t>(seenAt) < profiles_.size() &&
        trimmedName(profiles_[static_cast<std::size_t>(seenAt)].profileName) == trimmedName(name)) {
        return seenAt;
    }
    return find(name);
}

// Profiles are chosen by name (the drop-down, the command line), so a name is taken once.
std::optional<Notice> ProfileTable::nameProblem(std::string_view name, int except) const {
    const std::string trimmed = trimmedName(name);
    if (trimmed.empty()) {
        return refuseField("Profile Name :", "a profile needs a name").notice;
    }
    for (std::size_t i = 0; i < profiles_.size(); ++i) {
        if (static_cast<int>(i) != except && trimmedName(profiles_[i].profileName) == trimmed) {
            return refuseField("Profile Name :",
                               "a profile named '" + trimmed + "' is already there")
                .notice;
        }
    }
    return std::nullopt;
}

std::optional<Notice> ProfileTable::add(const ConnectionProfile& profile) {
    if (profiles_.size() >= capacity) {
        return profilesNotice("MAX Profiles (101) !!!");
    }
    if (auto problem = profileProblem(profile)) {
        return problem;
    }
    if (auto problem = nameProblem(profile.profileName, -1)) {
        return problem;
    }
    profiles_.push_back(profile);
    profiles_.back().profileName = trimmedName(profile.profileName);
    profiles_.back().foreColor.reset();
    selected_ = static_cast<int>(profiles_.size()) - 1;
    return std::nullopt;
}

std::optional<Notice> ProfileTable::update(const ConnectionProfile& fields) {
    if (selected_ < 0) {
        return std::nullopt;
    }
    if (auto problem = profileProblem(fields)) {
        return problem;
    }
    if (auto problem = nameProblem(fields.profileName, selected_)) {
        return problem;
    }
    auto& slot = profiles_[static_cast<std::size_t>(selected_)];
    const auto color = slot.foreColor;
    slot = fields;
    slot.profileName = trimmedName(fields.profileName);
    slot.foreColor = color;
    return std::nullopt;
}

bool ProfileTable::remove() {
    if (profiles_.size() < 2 || selected_ < 0) {
        return false;
    }
    profiles_.erase(profiles_.begin() + selected_);
    selected_ = std::min(selected_, static_cast<int>(profiles_.size()) - 1);
    return true;
}

void ProfileTable::setForeColor(std::int32_t color) {
    if (selected_ >= 0) {
        profiles_[static_cast<std::size_t>(selected_)].foreColor = color;
    }
}

} // namespace tavrino
