#include "link/profiles.h"

#include "database/file_io.h"
#include "database/file_problem.h"

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
    return std::nullopt;
}

ProfilesRead parseProfiles(std::string_view text) {
    const auto lines = splitLines(text);
    ProfilesRead read;
    std::size_t at = 0;
    for (; at + linesPerProfile <= lines.size(); at += linesPerProfile) {
        if (read.profiles.size() == ProfileTable::capacity) {
            read.problem = profilesNotice("Profiles.ini holds more than 101 profiles: only the "
                                          "first 101 were read !!!");
            return read;
        }
        read.profiles.push_back(profileFrom(lines, at));
    }
    if (!onlyEmptyLines(lines, at)) {
        read.problem = profilesNotice(
            "Profiles.ini ends inside profile " + std::to_string(read.profiles.size() + 1) +
            ": the " + std::to_string(read.profiles.size()) + " complete profiles were kept !!!");
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

fs::path profilesPathOf(const fs::path& dataFolder) {
    return dataFolder / "Profiles.ini";
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
    for (std::size_t i = 0; i < profiles_.size(); ++i) {
        if (profiles_[i].profileName == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<Notice> ProfileTable::add(const ConnectionProfile& profile) {
    if (profiles_.size() >= capacity) {
        return profilesNotice("MAX Profiles (101) !!!");
    }
    if (auto problem = profileProblem(profile)) {
        return problem;
    }
    // Profiles are chosen by name (the drop-down, the command line), so a name is taken once.
    if (find(profile.profileName) >= 0) {
        return profilesNotice("A profile named '" + profile.profileName + "' is already there.");
    }
    profiles_.push_back(profile);
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
    auto& slot = profiles_[static_cast<std::size_t>(selected_)];
    const auto color = slot.foreColor;
    slot = fields;
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

namespace {

void writeProfilesFile(const fs::path& path, const std::string& text) {
    constexpr unsigned ownerOnly = 0600; // the file holds passwords
    writeFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                        ownerOnly);
}

} // namespace

ProfilesRead loadProfiles(const fs::path& dataFolder) {
    const fs::path path = profilesPathOf(dataFolder);
    auto bytes = readWholeFile(path, smallTextFileLimit);
    if (!bytes) {
        std::error_code ignored;
        fs::create_directories(dataFolder, ignored);
        writeProfilesFile(path, formatDefaultProfilesFile());
        bytes = readWholeFile(path, smallTextFileLimit);
    }
    const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    return parseProfiles(text);
}

void saveProfiles(const fs::path& dataFolder, const std::vector<ConnectionProfile>& profiles) {
    std::error_code ignored;
    fs::create_directories(dataFolder, ignored);
    writeProfilesFile(profilesPathOf(dataFolder), formatProfiles(profiles));
}

} // namespace tavrino
