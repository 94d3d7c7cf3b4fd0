#include "bouquets/bouquet_duplicates.h"

#include "bouquets/bouquet_editor.h"

#include <algorithm>
#include <unordered_map>

namespace tavrino {

std::vector<std::optional<int>> firstItemsNaming(const Workspace& workspace,
                                                 const std::vector<BouquetItem>& items) {
    std::vector<std::optional<int>> first(items.size());
    std::unordered_map<std::size_t, int> itemOfService;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto service = workspace.services().findByFlagAndSid(items[i].link, items[i].sid);
        if (!service) {
            continue;
        }
        const auto [at, added] = itemOfService.emplace(*service, static_cast<int>(i));
        if (!added) {
            first[i] = at->second;
        }
    }
    return first;
}

std::vector<std::optional<int>> itemsAlreadyNaming(const Workspace& workspace,
                                                   const std::vector<BouquetItem>& items,
                                                   std::span<const int> added) {
    const auto serviceOf = [&](std::size_t i) {
        return workspace.services().findByFlagAndSid(items[i].link, items[i].sid);
    };
    std::vector<bool> isAdded(items.size());
    for (const int p : added) {
        if (p >= 0 && static_cast<std::size_t>(p) < items.size()) {
            isAdded[static_cast<std::size_t>(p)] = true;
        }
    }
    std::unordered_map<std::size_t, int> heldAt;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!isAdded[i]) {
            if (const auto service = serviceOf(i)) {
                heldAt.emplace(*service, static_cast<int>(i));
            }
        }
    }
    std::vector<std::optional<int>> held;
    for (const int p : added) {
        std::optional<int> at;
        if (p >= 0 && static_cast<std::size_t>(p) < items.size()) {
            if (const auto service = serviceOf(static_cast<std::size_t>(p))) {
                if (const auto found = heldAt.find(*service); found != heldAt.end()) {
                    at = found->second;
                }
            }
        }
        held.push_back(at);
    }
    return held;
}

// Keeps the first item of each service; one step, as a delete of the others would be.
ContentsChange BouquetEditor::removeDuplicateItems(int row) {
    if (!validRow(row)) {
        return {};
    }
    const auto list = items(row);
    const auto first = firstItemsNaming(workspace_, list);
    std::vector<BouquetItem> kept;
    std::optional<int> firstRemoved;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!first[i]) {
            kept.push_back(list[i]);
        } else if (!firstRemoved) {
            firstRemoved = static_cast<int>(kept.size());
        }
    }
    if (!firstRemoved) {
        return {};
    }
    const auto step =
        workspace_.beginEdit(countedName("Remove", list.size() - kept.size(), "Duplicate Item"));
    writeItems(record(row), kept);
    // What now stands where the first removed item stood; the first of a service always stays.
    return {true, std::min(*firstRemoved, static_cast<int>(kept.size()) - 1)};
}

} // namespace tavrino
