#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them: fields separated by commas, records by line
// breaks; a field in double quotes may hold commas, line breaks and quotes written twice.
namespace tavrino::csv {

// One record and the line it starts on, counted from 1.
struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

// Text that is not CSV: the line and what is wrong there.
class Problem : public std::runtime_error {
public:
    Problem(int line, const std::string& detail)
        : std::runtime_error("line " + std::to_string(line) + ": " + detail), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Reads a text record by record, so a long text never needs all its records at once. The text
// must outlive the reader. next() throws Problem as parse does.
class Reader {
public:
    explicit Reader(std::string_view text);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    // The next record into `record` (its buffers reused); false at the end of the text.
    bool next(Record& record);

private:
    class Parser;
    std::unique_ptr<Parser> parser_;
};

// Splits a text into records. Line breaks may be CR LF, LF or CR; empty lines are skipped and
// a leading UTF-8 byte order mark is ignored. Throws Problem for a quote left open, text after
// a closing quote, or a quote inside a field that does not start with one.
std::vector<Record> parse(std::string_view text);

// The field as written in a record: quoted when it holds a comma, a quote or a line break.
std::string field(std::string_view text);

// Appends the field as `field` writes it.
void append(std::string& out, std::string_view text);

// The fields joined by commas, followed by `end`.
std::string record(const std::vector<std::string>& fields, std::string_view end = "\r\n");

} // namespace tavrino::csv
