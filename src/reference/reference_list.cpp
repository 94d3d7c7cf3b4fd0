#include "reference/reference_list.h"

#include "common/csv.h"
#include "common/excerpt.h"
#include "common/number_text.h"
#include "common/utf8.h"
#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "database/transponder_file.h"

#include <algorithm>

namespace tavrino {
namespace {

// 50 bouquets of 200 items take about 1 MB; far more is not a reference list.
constexpr SizeLimit referenceFileLimit{16u << 20, "16 MiB, far more than 50 bouquets need"};
constexpr std::int64_t itemNumberLimit = 1000000;
// Rows beyond the 10,050 that 50 bouquets can take are only "Left out"; this many keeps the
// memory a list takes small whatever its rows hold.
constexpr std::size_t referenceRowLimit = 50000;

// The line a byte offset stands on, counting line breaks as the CSV reader does.
int lineAt(std::string_view text, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

class RowReader {
public:
    // `previous` is the row before, whose bouquet name is usually this one's.
    RowReader(csv::Record& record, const CodePage& codePage, const ReferenceRow* previous)
        : r_(record), codePage_(codePage), previous_(previous) {}

    ReferenceRow read() {
        ReferenceRow row;
        row.line = r_.line;
        row.bouquet = std::move(r_.fields[0]);
        row.bouquetBytes = previous_ && previous_->bouquet == row.bouquet
                               ? previous_->bouquetBytes
                               : bouquetBytes(row.bouquet);
        if (const auto item = number(1, 1, itemNumberLimit)) {
            row.item = static_cast<int>(*item);
        }
        row.name = std::move(r_.fields[2]);
        row.satellite = std::move(r_.fields[3]);
        row.position = position(4);
        if (const auto frequency = number(5, INT32_MIN, INT32_MAX)) {
            row.frequency = static_cast<std::int32_t>(*frequency);
        }
        row.pol = oneOf(6, {"", "H", "V"});
        row.sid = number16(7);
        row.tid = number16(8);
        row.nid = number16(9);
        row.type = oneOf(10, {"", "TV", "Radio"});
        return row;
    }

private:
    const std::string& text(std::size_t column) const { return r_.fields[column]; }
    std::string header(std::size_t column) const { return std::string(referenceHeader[column]); }
    [[noreturn]] void refuse(const std::string& detail) const {
        throw csv::Problem(r_.line, detail);
    }

    std::string bouquetBytes(const std::string& name) const {
        if (name.empty()) {
            refuse("Bouquet is empty");
        }
        const Encoded encoded = codePage_.fromUtf8(name);
        if (!encoded.ok) {
            std::string character;
            utf8::append(character, encoded.unmappable);
            refuse("the bouquet name holds \"" + excerpt(character) + "\", which " +
                   codePage_.name() + " names cannot hold");
        }
        if (encoded.bytes.size() > layout::channel::nameRecordNameCapacity) {
            refuse("the bouquet name is longer than 98 characters");
        }
        return encoded.bytes;
    }

    std::optional<std::int64_t> number(std::size_t column, std::int64_t min,
                                       std::int64_t max) const {
        if (text(column).empty()) {
            return std::nullopt;
        }
        const auto value = parseWhole(text(column), min, max);
        if (!value) {
            refuse(header(column) + " \"" + excerpt(text(column)) +
                   "\" is not a whole number from " + std::to_string(min) + " to " +
                   std::to_string(max));
        }
        return value;
    }

    std::optional<std::uint16_t> number16(std::size_t column) const {
        const auto value = number(column, 0, 65535);
        return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value))
                     : std::nullopt;
    }

    std::optional<int> position(std::size_t column) const {
        std::string_view t = text(column);
        if (t.empty()) {
            return std::nullopt;
        }
        const char side = t.back();
        t.remove_suffix(1);
        const auto tenths = parseDegreesAsTenths(t);
        if ((side != 'E' && side != 'W') || !tenths) {
            refuse(header(column) + " \"" + excerpt(text(column)) +
                   "\" is not a position from 0.0 to 180.0 followed by E or W");
        }
        return side == 'W' ? -*tenths : *tenths;
    }

    std::string oneOf(std::size_t column, std::initializer_list<const char*> allowed) const {
        for (const char* value : allowed) {
            if (text(column) == value) {
                return text(column);
            }
        }
        std::string list;
        for (const char* value : allowed) {
            if (*value != '\0') {
                list += (list.empty() ? "" : ", ") + std::string(value);
            }
        }
        refuse(header(column) + " \"" + excerpt(text(column)) + "\" is none of " + list +
               " or empty");
    }

    csv::Record& r_;
    const CodePage& codePage_;
    const ReferenceRow* previous_;
};

void checkHeader(csv::Reader& reader, csv::Record& first) {
    std::string expected;
    for (const auto column : referenceHeader) {
        expected += (expected.empty() ? "" : ",") + std::string(column);
    }
    const bool read = reader.next(first);
    if (!read || !std::equal(first.fields.begin(), first.fields.end(), referenceHeader.begin(),
                             referenceHeader.end())) {
        throw csv::Problem(read ? first.line : 1, "the first line is not the header " + expected);
    }
}

} // namespace

bool ReferenceRow::namesService() const {
    return !name.empty() || !satellite.empty() || position || frequency || !pol.empty() || sid ||
           tid || nid || !type.empty();
}

std::string positionText(int tenths) {
    const PositionText text = formatPosition(tenths);
    return text.degrees + text.eastWest;
}

ReferenceList parseReferenceList(std::string_view text, const CodePage& codePage) {
    if (const auto bad = utf8::firstInvalid(text)) {
        throw csv::Problem(lineAt(text, *bad), "the text is not UTF-8");
    }
    // Record by record: a long list never has all its fields in memory twice.
    csv::Reader reader(text);
    csv::Record r;
    checkHeader(reader, r);
    ReferenceList list;
    while (reader.next(r)) {
        if (r.fields.size() != referenceHeader.size()) {
            throw csv::Problem(r.line, "the row has " + std::to_string(r.fields.size()) +
                                           " fields where the header has 11");
        }
        if (list.rows.size() == referenceRowLimit) {
            throw csv::Problem(r.line, "the list has more than " +
                                           std::to_string(referenceRowLimit) +
                                           " rows, five times what 50 bouquets of 200 items "
                                           "take");
        }
        list.rows.push_back(
            RowReader(r, codePage, list.rows.empty() ? nullptr : &list.rows.back()).read());
    }
    return list;
}

ReferenceList readReferenceList(const std::filesystem::path& path, const CodePage& codePage) {
    const auto bytes = readWholeFile(path, referenceFileLimit);
    if (!bytes) {
        throw FileProblem(FileProblem::Kind::Missing, path.string(), "");
    }
    try {
        return parseReferenceList(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            codePage);
    } catch (const csv::Problem& problem) {
        throw FileProblem(FileProblem::Kind::Damaged, path.string(), problem.what());
    }
}

} // namespace tavrino
