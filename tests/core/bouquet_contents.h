#pragma once
// What the bouquet tests compare: the bouquets' names and the links of their items; and the
// one-line mapping the core tests use to compare a field of every element.
#include "bouquets/bouquet_editor.h"

#include <string>
#include <vector>

namespace tavrino::test {

// `f` of each element of `range`, in order.
auto mapped(const auto& range, auto f) {
    std::vector<std::decay_t<decltype(f(*range.begin()))>> out;
    for (const auto& element : range) {
        out.push_back(f(element));
    }
    return out;
}

inline std::vector<std::string> names(const BouquetEditor& editor) {
    return mapped(editor.rows(), [](const auto& row) { return row.name; });
}

inline std::vector<std::int32_t> links(const std::vector<BouquetItem>& items) {
    return mapped(items, [](const BouquetItem& item) { return item.link; });
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
