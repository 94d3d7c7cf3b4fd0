#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavrino::cli {

enum class OutputFormat { Csv, Table };

// Collects rows, then prints them as RFC 4180 CSV or as aligned columns.
class TableWriter {
public:
    explicit TableWriter(std::vector<std::string> header) : header_(std::move(header)) {}

    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    void print(std::ostream& out, OutputFormat format) const;

private:
    std::vector<std::string> header_;
    std::vector<std::vector<std::string>> rows_;
};

std::string csvField(const std::string& text);

} // namespace tavrino::cli
