#pragma once
// What the bouquet tests compare: the bouquets' names and the links of their items.
#include "bouquets/bouquet_editor.h"

#include <string>
#include <vector>

namespace tavrino::test {

inline std::vector<std::string> names(const BouquetEditor& editor) {
    std::vector<std::string> out;
    for (const auto& row : editor.rows()) {
        out.push_back(row.name);
    }
    return out;
}

inline std::vector<std::int32_t> links(const std::vector<BouquetItem>& items) {
    std::vector<std::int32_t> out;
    for (const auto& item : items) {
        out.push_back(item.link);
    }
    return out;
}

// The links of every bouquet's items, bouquet by bouquet.
inline std::vector<std::vector<std::int32_t>> contents(const BouquetEditor& editor) {
    std::vector<std::vector<std::int32_t>> out;
    for (int row = 0; row < static_cast<int>(editor.rows().size()); ++row) {
        out.push_back(links(editor.items(row)));
    }
    return out;
}

} // namespace tavrino::test
