#include "cli/table_writer.h"

#include "common/utf8.h"

#include <algorithm>

namespace tavrino::cli {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    return quoted + '"';
}

void TableWriter::print(std::ostream& out, OutputFormat format) const {
    auto all = rows_;
    all.insert(all.begin(), header_);
    if (format == OutputFormat::Csv) {
        for (const auto& row : all) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                out << (i ? "," : "") << csvField(row[i]);
            }
            out << '\n';
        }
        return;
    }
    std::vector<std::size_t> widths(header_.size(), 0);
    for (const auto& row : all) {
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
            widths[i] = std::max(widths[i], utf8::length(row[i]));
        }
    }
    for (const auto& row : all) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line.append(widths[i] - utf8::length(row[i]) + 2, ' ');
            }
        }
        out << line << '\n';
    }
}

} // namespace tavrino::cli
