#include "import/satellites_xml.h"

#include "common/code_page.h"
#include "common/excerpt.h"
#include "common/utf8.h"
#include "database/file_problem.h"
#include "import/import_text.h"

#include <algorithm>
#include <optional>
#include <pugixml.hpp>

namespace tavrino {
namespace {
namespace tx = import_text;

// The document as UTF-8, with the offset rules of the parser: one byte per byte of UTF-8.
class XmlSource {
public:
    XmlSource(std::string_view bytes, const std::string& path) : path_(path) {
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
        }
        if (bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE") ||
            (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0'))) {
            fail("the file is UTF-16 or UTF-32; save it as UTF-8");
        }
        const std::string encoding = declaredEncoding(bytes);
        if (encoding.empty() || tx::equalsIgnoringCase(encoding, "UTF-8") ||
            tx::equalsIgnoringCase(encoding, "UTF8") ||
            tx::equalsIgnoringCase(encoding, "US-ASCII")) {
            text_ = bytes; // the caller's bytes outlive the source
        } else {
            converted_ = singleByteCodePage(encoding).toUtf8(bytes);
            text_ = converted_;
            utf8_ = false;
        }
    }

    std::string_view text() const { return text_; }
    // Names are the only text taken; the rest of a UTF-8 document is read as ASCII digits.
    bool checkUtf8() const { return utf8_; }

    [[noreturn]] void fail(const std::string& detail) const {
        throw FileProblem(FileProblem::Kind::Damaged, path_, detail);
    }
    [[noreturn]] void failAt(std::ptrdiff_t offset, const std::string& detail) const {
        fail(tx::describe(tx::lineColumnAt(
                 text_, static_cast<std::size_t>(std::max(offset, std::ptrdiff_t{0})))) +
             ": " + detail);
    }

private:
    // The encoding="..." of an XML declaration at the very start; empty without one.
    static std::string declaredEncoding(std::string_view bytes) {
        if (!bytes.starts_with("<?xml")) {
            return {};
        }
        const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
        const std::size_t at = declaration.find("encoding");
        if (at == std::string_view::npos) {
            return {};
        }
        std::string_view rest = declaration.substr(at + 8);
        rest = tx::trimmed(rest);
        if (rest.empty() || rest.front() != '=') {
            return {};
        }
        rest = tx::trimmed(rest.substr(1));
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) {
            return {};
        }
        const std::size_t close = rest.find(rest.front(), 1);
        return std::string(rest.substr(1, close == std::string_view::npos ? 0 : close - 1));
    }

    const CodePage& singleByteCodePage(const std::string& encoding) const {
        std::string name;
        for (const char c : encoding) {
            name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        if (name == "LATIN1") {
            name = "ISO-8859-1";
        }
        // Only names of one-byte code pages: iconv would also open multi-byte ones.
        const bool singleByte = name.starts_with("ISO-8859-") || name.starts_with("WINDOWS-125") ||
                                name.starts_with("CP125") || name.starts_with("KOI8-");
        const CodePage* page = singleByte ? CodePage::byName(name) : nullptr;
        if (!page) {
            fail("the declared encoding \"" + excerpt(encoding) +
                 "\" is not one Tavrino reads (UTF-8, ISO-8859-n, windows-125n, KOI8-R)");
        }
        return *page;
    }

    std::string path_;
    std::string converted_;
    std::string_view text_;
    bool utf8_ = true; // as the file has it, so not yet checked
};

struct Range {
    std::int64_t min;
    std::int64_t max;
};

constexpr Range any32{0, 2147483647};
constexpr Range byte{0, 255};
constexpr Range twoBytes{0, 65535};
constexpr Range anything{-tx::numberCeiling, tx::numberCeiling};

// The transponder attributes read, with what each may hold.
enum Field : unsigned { Frequency, SymbolRate, Polarization, Fec, Modulation, System, Onid, Tsid };
struct FieldSpec {
    const char* name;
    Range range;
};
constexpr FieldSpec fields[] = {
    {"frequency", any32}, {"symbol_rate", any32}, {"polarization", anything}, {"fec_inner", byte},
    {"modulation", byte}, {"system", byte},       {"onid", twoBytes},         {"tsid", twoBytes},
};

// strcmp() == 0 without the call.
inline bool sameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The field an attribute name stands for: its first letters leave one candidate to compare.
inline std::optional<Field> fieldNamed(const char* name) {
    Field candidate = Frequency;
    switch (name[0]) {
    case 'f':
        candidate = name[1] == 'r' ? Frequency : Fec;
        break;
    case 's':
        candidate = name[1] == 'y' && name[2] == 'm' ? SymbolRate : System;
        break;
    case 'p':
        candidate = Polarization;
        break;
    case 'm':
        candidate = Modulation;
        break;
    case 'o':
        candidate = Onid;
        break;
    case 't':
        candidate = Tsid;
        break;
    default:
        return std::nullopt;
    }
    return sameName(fields[candidate].name, name) ? std::optional(candidate) : std::nullopt;
}

inline void store(ImportedTransponder& t, Field field, std::int64_t value) {
    switch (field) {
    case Frequency:
        t.frequency = static_cast<std::int32_t>(value);
        break;
    case SymbolRate:
        t.symbolRate = static_cast<std::int32_t>(value);
        break;
    case Polarization: // circular left is tuned as horizontal and right as vertical
        t.polarization = value == 1 || value == 3 ? 1 : 0;
        break;
    case Fec:
        t.fec = static_cast<std::uint8_t>(value);
        break;
    case Modulation:
        t.modulation = static_cast<std::uint8_t>(value);
        break;
    case System:
        t.system = static_cast<std::uint8_t>(value);
        break;
    case Onid:
        t.nid = static_cast<std::uint16_t>(value);
        break;
    case Tsid:
        t.tid = static_cast<std::uint16_t>(value);
        break;
    }
}

class SatReader {
public:
    explicit SatReader(const XmlSource& source) : source_(source) {}

    ImportedSatellite satellite(const pugi::xml_node& sat) {
        ImportedSatellite out;
        const pugi::xml_attribute name = sat.attribute("name");
        const pugi::xml_attribute position = sat.attribute("position");
        if (!name || !position) {
            source_.failAt(elementStart(sat), std::string("<sat> has no ") +
                                                  (name ? "position" : "name") + " attribute");
        }
        out.name = name.value();
        if (source_.checkUtf8() && utf8::firstInvalid(out.name)) {
            source_.failAt(elementStart(sat),
                           "the name is not UTF-8 text, and the document declares no other "
                           "encoding");
        }
        // Line ends and tabs in a name read as blanks, as XML normalises attribute values.
        std::replace_if(
            out.name.begin(), out.name.end(),
            [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        out.position = static_cast<std::int32_t>(number(sat, position, {-3600, 3600}));
        // Gathered in a buffer that keeps its room, so each satellite allocates once.
        scratch_.clear();
        for (pugi::xml_node tp = sat.first_child(); tp; tp = tp.next_sibling()) {
            if (!sameName("transponder", tp.name())) {
                continue;
            }
            if (scratch_.size() == maxImportedTransponders) {
                source_.failAt(elementStart(tp), "more than 65535 transponders in one <sat>, "
                                                 "more than DVBS.dat can count");
            }
            scratch_.push_back(transponder(tp));
        }
        out.transponders.assign(scratch_.begin(), scratch_.end());
        return out;
    }

private:
    // Each attribute once, and the first of a name counts, as a lookup by name would find it.
    ImportedTransponder transponder(const pugi::xml_node& tp) const {
        ImportedTransponder out;
        unsigned seen = 0;
        for (pugi::xml_attribute attribute = tp.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            const auto field = fieldNamed(attribute.name());
            if (field && (seen & (1u << *field)) == 0) {
                store(out, *field, number(tp, attribute, fields[*field].range));
                seen |= 1u << *field;
            }
        }
        return out;
    }

    // The leading number of the value; a missing attribute or one without digits reads as 0.
    std::int64_t number(const pugi::xml_node& element, const pugi::xml_attribute& attribute,
                        Range range) const {
        const std::int64_t value = tx::leadingNumber(attribute.value()).value_or(0);
        if (value < range.min || value > range.max) {
            outOfRange(element, attribute, range);
        }
        return value;
    }

    [[noreturn]] void outOfRange(const pugi::xml_node& element,
                                 const pugi::xml_attribute& attribute, Range range) const {
        source_.failAt(elementStart(element), excerpt(attribute.name()) + "=\"" +
                                                  excerpt(attribute.value()) + "\" is outside " +
                                                  std::to_string(range.min) + " to " +
                                                  std::to_string(range.max));
    }

    // The offset of the element's "<".
    static std::ptrdiff_t elementStart(const pugi::xml_node& element) {
        return element.offset_debug() - 1;
    }

    const XmlSource& source_;
    std::vector<ImportedTransponder> scratch_;
};

} // namespace

ImportedList parseSatellitesXml(std::string_view bytes, const std::string& path) {
    const XmlSource source(bytes, path);
    pugi::xml_document document;
    // Only attributes are read, so line ends in text need no normalising.
    const pugi::xml_parse_result parsed =
        document.load_buffer(source.text().data(), source.text().size(),
                             pugi::parse_escapes | pugi::parse_cdata, pugi::encoding_utf8);
    if (!parsed) {
        source.failAt(parsed.offset, parsed.description());
    }
    const pugi::xml_node root = document.document_element();
    if (!root || std::string_view(root.name()) != "satellites") {
        source.failAt(root ? root.offset_debug() - 1 : 0,
                      root ? std::string("the root element is <") + root.name() +
                                 ">, so this is no satellites.xml"
                           : std::string("no root element"));
    }
    for (pugi::xml_node next = root.next_sibling(); next; next = next.next_sibling()) {
        if (next.type() == pugi::node_element) {
            source.failAt(next.offset_debug() - 1, "a second root element after </satellites>");
        }
    }
    ImportedList list;
    SatReader reader(source);
    for (const pugi::xml_node& sat : root.children("sat")) {
        list.satellites.push_back(reader.satellite(sat));
    }
    if (list.satellites.empty()) {
        source.failAt(root.offset_debug() - 1, "<satellites> holds no <sat> element");
    }
    return list;
}

ImportedList readSatellitesXml(const std::filesystem::path& path) {
    const auto bytes = readWholeFile(path, satellitesXmlLimit);
    if (!bytes || bytes->empty()) {
        throw FileProblem(FileProblem::Kind::EmptyFile, path.string(), "");
    }
    return parseSatellitesXml(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
        path.string());
}

} // namespace tavrino
