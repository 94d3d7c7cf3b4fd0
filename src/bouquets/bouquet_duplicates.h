#pragma once

#include "bouquets/bouquet_items.h"

#include <optional>
#include <span>
#include <vector>

namespace tavrino {

// Per item of one bouquet: the first earlier item (0-based) that names the same service, or
// none. An item names the service its link value and SID find; an item that finds none ("IME")
// names nothing and so repeats nothing: it may stand for a service of another scan.
std::vector<std::optional<int>> firstItemsNaming(const Workspace& workspace,
                                                 const std::vector<BouquetItem>& items);

// Where the services of items just added (`added`: positions in `items`) already stood: per
// added item, the first item not among them that names the same service, or none.
std::vector<std::optional<int>> itemsAlreadyNaming(const Workspace& workspace,
                                                   const std::vector<BouquetItem>& items,
                                                   std::span<const int> added);

} // namespace tavrino
