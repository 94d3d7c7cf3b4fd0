#include "import/transponder_list.h"

#include "common/excerpt.h"
#include "database/file_problem.h"
#include "import/import_text.h"

#include <algorithm>
#include <map>
#include <optional>

namespace tavrino {
namespace {
namespace tx = import_text;

struct Entry {
    std::size_t line = 0; // from 1
    std::string_view value;
};

// The keyed lines of the two sections that matter, found by their section and number.
struct Sections {
    bool satType = false;
    bool dvb = false;
    std::map<std::int64_t, Entry> satTypeKeys;
    std::map<std::int64_t, Entry> dvbKeys;
    std::size_t repeatedKeys = 0;
};

Sections readSections(const std::vector<std::string_view>& lines) {
    Sections s;
    std::map<std::int64_t, Entry>* keys = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = tx::trimmed(lines[i]);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            const std::string_view name = tx::trimmed(line.substr(1, line.size() - 2));
            keys = nullptr;
            if (tx::equalsIgnoringCase(name, "SATTYPE")) {
                s.satType = true;
                keys = &s.satTypeKeys;
            } else if (tx::equalsIgnoringCase(name, "DVB")) {
                s.dvb = true;
                keys = &s.dvbKeys;
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = tx::trimmed(line.substr(0, equals));
        if (!keys || equals == std::string_view::npos || !tx::allDigits(key)) {
            continue;
        }
        const Entry entry{i + 1, tx::trimmed(line.substr(equals + 1))};
        if (!keys->emplace(*tx::leadingNumber(key), entry).second) {
            ++s.repeatedKeys; // the first line of a number counts, as a search would find it
        }
    }
    return s;
}

// Line numbers for a note: the first ten, then how many more.
struct NumberList {
    std::vector<std::size_t> first;
    std::size_t total = 0;

    void add(std::size_t number) {
        if (first.size() < 10) {
            first.push_back(number);
        }
        ++total;
    }
    std::string text() const {
        std::string out;
        for (std::size_t i = 0; i < first.size(); ++i) {
            out += (i ? ", " : "") + std::to_string(first[i]);
        }
        if (total > first.size()) {
            out += " and " + std::to_string(total - first.size()) + " more";
        }
        return out;
    }
};

// Counts of what a list left out, turned into notes at the end.
struct LeftOut {
    std::map<std::string, std::size_t> systems; // lines of non-DVB systems by system word
    NumberList malformed;                       // line numbers
    std::size_t unknownModulation = 0;
};

std::uint8_t fecCode(std::string_view text) {
    static const std::pair<std::string_view, std::uint8_t> codes[] = {
        {"12", 1}, {"23", 2}, {"34", 3}, {"56", 4}, {"78", 5},
        {"89", 6}, {"35", 7}, {"45", 8}, {"91", 9}};
    for (const auto& [code, value] : codes) {
        if (text == code) {
            return value;
        }
    }
    return 0; // Auto
}

std::optional<std::uint8_t> systemCode(std::string_view word) {
    if (word.empty() || tx::equalsIgnoringCase(word, "DVB-S")) {
        return 0;
    }
    if (tx::equalsIgnoringCase(word, "S2") || tx::equalsIgnoringCase(word, "DVB-S2")) {
        return 1;
    }
    return std::nullopt;
}

// The first word of the modulation text; none gives the system's usual one.
std::uint8_t modulationCode(std::string_view text, std::uint8_t system, LeftOut& leftOut) {
    const std::string_view word = text.substr(0, text.find(' '));
    static const std::pair<std::string_view, std::uint8_t> codes[] = {
        {"QPSK", 1}, {"8PSK", 2}, {"16APSK", 4}, {"32APSK", 5}}; // as satellites.xml numbers them
    for (const auto& [name, value] : codes) {
        if (tx::equalsIgnoringCase(word, name)) {
            return value;
        }
    }
    if (!word.empty()) {
        ++leftOut.unknownModulation;
    }
    return system == 1 ? 2 : 1;
}

// "10962,H,16666,34,DVB-S,QPSK", "3716,V,4775,35,S2;8PSK", "12224,R,20000,67;DSS,QPSK".
std::optional<ImportedTransponder> transponder(const Entry& entry, LeftOut& leftOut) {
    const auto fields = tx::splitFields(entry.value, ',');
    const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : ""; };
    const auto frequency = tx::timesThousand(field(0));
    const auto symbolRate = tx::timesThousand(field(2));
    const std::string_view pol = field(1);
    if (fields.size() < 3 || !frequency || !symbolRate || pol.size() != 1 ||
        std::string_view("HVLRhvlr").find(pol.front()) == std::string_view::npos) {
        leftOut.malformed.add(entry.line);
        return std::nullopt;
    }
    ImportedTransponder tp;
    tp.frequency = *frequency;
    tp.symbolRate = *symbolRate;
    // Circular left is tuned as horizontal and right as vertical, as satellites.xml maps them.
    tp.polarization = pol == "V" || pol == "v" || pol == "R" || pol == "r" ? 1 : 0;
    const auto fec = tx::splitFields(field(3), ';');
    tp.fec = fecCode(fec[0]);
    std::string_view systemWord;
    std::string_view modulationWord;
    if (fec.size() > 1) { // "67;DSS": the system rides on the FEC field
        systemWord = fec[1];
        modulationWord = field(4);
    } else {
        const auto system = tx::splitFields(field(4), ';');
        systemWord = system[0];
        modulationWord = system.size() > 1 ? system[1] : field(5);
    }
    const auto system = systemCode(systemWord);
    if (!system) {
        ++leftOut.systems[std::string(systemWord)];
        return std::nullopt;
    }
    tp.system = *system;
    tp.modulation = modulationCode(modulationWord, tp.system, leftOut);
    return tp;
}

void addNotes(const std::string& source, const LeftOut& leftOut, std::vector<std::string>& notes) {
    for (const auto& [system, count] : leftOut.systems) {
        notes.push_back(source + ": " + tx::counted(count, "transponder") + " of the " + system +
                        " system left out (not DVB-S or DVB-S2)");
    }
    if (leftOut.malformed.total > 0) {
        notes.push_back(source +
                        ": left out transponder lines that are not frequency, "
                        "polarisation, symbol rate: line " +
                        leftOut.malformed.text());
    }
    if (leftOut.unknownModulation > 0) {
        notes.push_back(source + ": an unknown modulation read as the system's usual one on " +
                        tx::counted(leftOut.unknownModulation, "transponder"));
    }
}

class ListReader {
public:
    ListReader(const std::string& source, std::vector<std::string>& notes)
        : source_(source), notes_(notes) {}

    ImportedSatellite read(std::string_view bytes) {
        const std::string text = tx::asUtf8(bytes);
        const Sections s = readSections(tx::splitLines(text));
        if (!s.satType || !s.dvb) {
            fail(std::string("no [") + (s.satType ? "DVB" : "SATTYPE") + "] section");
        }
        ImportedSatellite satellite;
        satellite.position = position(required(s.satTypeKeys, 1, "[SATTYPE] 1= position"));
        satellite.name = std::string(required(s.satTypeKeys, 2, "[SATTYPE] 2= name").value);
        std::replace(satellite.name.begin(), satellite.name.end(), '?', '\'');
        const std::int64_t count = countOf(required(s.dvbKeys, 0, "[DVB] 0= count"));
        satellite.transponders = transponders(s, count);
        if (s.repeatedKeys > 0) {
            notes_.push_back(source_ + ": " + tx::counted(s.repeatedKeys, "line") +
                             " left out for a number an earlier line has");
        }
        return satellite;
    }

private:
    [[noreturn]] void fail(const std::string& detail) const {
        throw FileProblem(FileProblem::Kind::Damaged, source_, detail);
    }

    const Entry& required(const std::map<std::int64_t, Entry>& keys, std::int64_t key,
                          const char* what) const {
        const auto it = keys.find(key);
        if (it == keys.end()) {
            fail(std::string("no ") + what);
        }
        return it->second;
    }

    // Tenths of a degree counted eastwards from 0 to 3599; above 180.0 degrees lies West.
    std::int32_t position(const Entry& e) const {
        const auto value = tx::allDigits(e.value) ? tx::leadingNumber(e.value) : std::nullopt;
        if (!value || *value > 3599) {
            fail("line " + std::to_string(e.line) + ": the position \"" + excerpt(e.value) +
                 "\" is not tenths of a degree from 0 to 3599");
        }
        return static_cast<std::int32_t>(*value > 1800 ? *value - 3600 : *value);
    }

    std::int64_t countOf(const Entry& e) const {
        const auto value = tx::allDigits(e.value) ? tx::leadingNumber(e.value) : std::nullopt;
        if (!value || *value > static_cast<std::int64_t>(maxImportedTransponders)) {
            fail("line " + std::to_string(e.line) + ": the count \"" + excerpt(e.value) +
                 "\" is not a number from 0 to 65535");
        }
        return *value;
    }

    std::vector<ImportedTransponder> transponders(const Sections& s, std::int64_t count) {
        std::vector<ImportedTransponder> out;
        LeftOut leftOut;
        NumberList missing;
        std::size_t beyond = 0;
        std::int64_t expected = 1;
        for (const auto& [key, entry] : s.dvbKeys) {
            if (key == 0) {
                continue;
            }
            if (key > count) {
                ++beyond;
                continue;
            }
            for (; expected < key; ++expected) {
                missing.add(static_cast<std::size_t>(expected));
            }
            expected = key + 1;
            if (auto tp = transponder(entry, leftOut)) {
                out.push_back(*tp);
            }
        }
        for (; expected <= count; ++expected) {
            missing.add(static_cast<std::size_t>(expected));
        }
        addNotes(source_, leftOut, notes_);
        if (missing.total > 0) {
            notes_.push_back(source_ + ": the count says " + std::to_string(count) +
                             " transponders, but these are missing: " + missing.text());
        }
        if (beyond > 0) {
            notes_.push_back(source_ + ": " + tx::counted(beyond, "transponder line") +
                             " after the count left out");
        }
        return out;
    }

    const std::string& source_;
    std::vector<std::string>& notes_;
};

} // namespace

ImportedSatellite parseTransponderList(std::string_view bytes, const std::string& source,
                                       std::vector<std::string>& notes) {
    return ListReader(source, notes).read(bytes);
}

} // namespace tavrino
