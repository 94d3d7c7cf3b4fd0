#include "common/csv.h"

namespace tavrino::csv {

class Reader::Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {
        if (text_.starts_with("\xEF\xBB\xBF")) {
            text_.remove_prefix(3);
        }
    }

    bool next(Record& r) {
        while (!atEnd() && atLineBreak()) {
            skipLineBreak();
        }
        if (atEnd()) {
            return false;
        }
        r.line = line_;
        r.fields.clear();
        do {
            r.fields.push_back(atQuote() ? quotedField() : plainField());
        } while (takeComma());
        skipLineBreak();
        return true;
    }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    bool atQuote() const { return !atEnd() && text_[at_] == '"'; }
    bool atLineBreak() const { return !atEnd() && (text_[at_] == '\n' || text_[at_] == '\r'); }

    bool takeComma() {
        if (!atEnd() && text_[at_] == ',') {
            ++at_;
            return true;
        }
        return false;
    }

    void skipLineBreak() {
        if (atEnd()) {
            return;
        }
        if (text_[at_] == '\r') {
            ++at_;
        }
        if (!atEnd() && text_[at_] == '\n') {
            ++at_;
        }
        ++line_;
    }

    std::string plainField() {
        const std::size_t start = at_;
        while (!atEnd() && text_[at_] != ',' && !atLineBreak()) {
            if (text_[at_] == '"') {
                throw Problem(line_, "a quote inside a field that does not begin with one");
            }
            ++at_;
        }
        return std::string(text_.substr(start, at_ - start));
    }

    std::string quotedField() {
        const int opened = line_;
        std::string out;
        ++at_;
        for (;;) {
            if (atEnd()) {
                throw Problem(opened, "a quote is opened and never closed");
            }
            const char c = text_[at_++];
            if (c == '"') {
                if (atQuote()) {
                    out += '"';
                    ++at_;
                    continue;
                }
                break;
            }
            // A CR LF inside a field counts as one line, as it does between records.
            if (c == '\n' || (c == '\r' && (atEnd() || text_[at_] != '\n'))) {
                ++line_;
            }
            out += c;
        }
        if (!atEnd() && text_[at_] != ',' && !atLineBreak()) {
            throw Problem(line_, "text after the closing quote of a field");
        }
        return out;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
};

Reader::Reader(std::string_view text) : parser_(std::make_unique<Parser>(text)) {}
Reader::~Reader() = default;

bool Reader::next(Record& record) {
    return parser_->next(record);
}

std::vector<Record> parse(std::string_view text) {
    std::vector<Record> records;
    Reader reader(text);
    for (Record r; reader.next(r);) {
        records.push_back(std::move(r));
    }
    return records;
}

void append(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

std::string field(std::string_view text) {
    std::string out;
    append(out, text);
    return out;
}

std::string record(const std::vector<std::string>& fields, std::string_view end) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        append(out, fields[i]);
    }
    out += end;
    return out;
}

} // namespace tavrino::csv
