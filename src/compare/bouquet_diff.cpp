#include "bouquets/bouquet_items.h"
#include "compare/compare_parts.h"

#include <algorithm>
#include <iterator>

namespace tavrino::comparing {
namespace {

constexpr std::int64_t alternativePlaces = 100000; // after the positions, one per number

// The identity an item stores of its service. The link is left out: it is the receiver's own
// number, which a rescan changes while the item still names the same service.
struct ItemKey {
    std::int64_t place = 0;
    std::int32_t frequency = 0;
    std::uint16_t polarization = 0;
    std::uint16_t sid = 0;
    std::uint16_t tid = 0;
    std::uint16_t nid = 0;

    auto operator<=>(const ItemKey&) const = default;
};

struct Item {
    ItemKey key;
    // Found by link and SID on its own side, as the bouquet contents show it.
    std::optional<std::uint32_t> service;
};

struct Bouquet {
    std::string bytes; // the name as stored
    std::string name;  // UTF-8
    std::vector<Item> items;
};

std::vector<Bouquet> readBouquets(const Workspace& ws) {
    std::vector<Bouquet> bouquets;
    for (const BouquetRecord& record : ws.files().bouquets.rows) {
        Bouquet bouquet{record.name, ws.codePage().toUtf8(record.name), {}};
        for (const BouquetItem& stored : readStoredItems(ws, record.record)) {
            Item item;
            if (const auto s = ws.services().findByFlagAndSid(stored.link, stored.sid)) {
                item.service = static_cast<std::uint32_t>(*s);
            }
            const auto position = satellitePosition(ws, stored.satIndex);
            item.key = {position ? *position : alternativePlaces + stored.satIndex,
                        stored.frequency,
                        stored.polarization,
                        stored.sid,
                        stored.tid,
                        stored.nid};
            bouquet.items.push_back(item);
        }
        bouquets.push_back(std::move(bouquet));
    }
    return bouquets;
}

// Two items name the same service when they store the same identity (a rescan leaves items
// whole) or when the services they find are a pair (an edited SID is carried into items).
bool sameService(const Sides& sides, const Item& before, const Item& after) {
    return before.key == after.key || (before.service && after.service &&
                                       sides.services.afterOf[*before.service] == *after.service);
}

// Items both hold, each as often as the one holding it less often.
std::size_t commonItems(const Bouquet& x, const Bouquet& y) {
    std::vector<ItemKey> a;
    std::vector<ItemKey> b;
    for (const Item& item : x.items) {
        a.push_back(item.key);
    }
    for (const Item& item : y.items) {
        b.push_back(item.key);
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<ItemKey> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both.size();
}

// By name first, the n-th of a name with the n-th. Then a renamed bouquet: the one holding at
// least half the items of the other, the most first; or an empty one in the same row.
Pairing pairBouquets(const std::vector<Bouquet>& before, const std::vector<Bouquet>& after) {
    Pairing pairing(before.size(), after.size());
    for (std::uint32_t b = 0; b < before.size(); ++b) {
        for (std::uint32_t a = 0; a < after.size() && !pairing.afterOf[b]; ++a) {
            if (!pairing.beforeOf[a] && before[b].bytes == after[a].bytes) {
                pairing.pair(b, a);
            }
        }
    }
    for (std::uint32_t b = 0; b < before.size(); ++b) {
        std::optional<std::uint32_t> best;
        std::size_t bestCommon = 0;
        for (std::uint32_t a = 0; a < after.size() && !pairing.afterOf[b]; ++a) {
            if (pairing.beforeOf[a]) {
                continue;
            }
            const std::size_t common = commonItems(before[b], after[a]);
            const std::size_t larger = std::max(before[b].items.size(), after[a].items.size());
            if (common > bestCommon && 2 * common >= larger) {
                best = a;
                bestCommon = common;
            }
            if (larger == 0 && a == b && !best) {
                best = a;
            }
        }
        if (best) {
            pairing.pair(b, *best);
        }
    }
    return pairing;
}

// The longest run of items both hold in the same order (at most 200 each). Of equal runs the
// one keeping later items is taken, so of two like items the earlier counts as gone.
Pairing commonRun(const Sides& sides, const std::vector<Item>& a, const std::vector<Item>& b) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    // Most bouquets are as they were: the whole run, without the table.
    Pairing pairing(n, m);
    std::size_t k = 0;
    while (k < std::min(n, m) && sameService(sides, a[k], b[k])) {
        pairing.pair(static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(k));
        ++k;
    }
    if (k == n || k == m) {
        return pairing;
    }
    pairing = Pairing(n, m);
    std::vector<std::uint8_t> same(n * m);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            same[i * m + j] = sameService(sides, a[i], b[j]) ? 1 : 0;
        }
    }
    // longest[i][j]: of a[i..] and b[j..]
    std::vector<std::uint16_t> longest((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint16_t& {
        return longest[i * (m + 1) + j];
    };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            at(i, j) = same[i * m + j] ? static_cast<std::uint16_t>(at(i + 1, j + 1) + 1)
                                       : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (same[i * m + j] && at(i + 1, j) != at(i, j)) {
            pairing.pair(static_cast<std::uint32_t>(i++), static_cast<std::uint32_t>(j++));
        } else if (at(i + 1, j) == at(i, j)) {
            ++i;
        } else {
            ++j;
        }
    }
    return pairing;
}

std::string rowText(std::size_t index) {
    return "#" + std::to_string(index + 1);
}

class BouquetRows {
public:
    BouquetRows(const Sides& sides) : sides_(sides) {}

    void run(Comparison& out) {
        const auto before = readBouquets(sides_.before);
        const auto after = readBouquets(sides_.after);
        const Pairing pairing = pairBouquets(before, after);
        std::vector<std::uint32_t> places; // of the paired bouquets, in `before` order
        std::vector<std::uint32_t> pairedBefore;
        for (std::uint32_t b = 0; b < before.size(); ++b) {
            if (const auto a = pairing.afterOf[b]) {
                places.push_back(*a);
                pairedBefore.push_back(b);
            }
        }
        const std::vector<bool> kept = keptInOrder(places);
        for (std::uint32_t a = 0; a < after.size(); ++a) {
            if (const auto b = pairing.beforeOf[a]) {
                if (before[*b].bytes != after[a].bytes) {
                    std::vector<DiffRow> rows;
                    addChange(rows, bouquet(after[a], a, DiffChange::Changed), "Name",
                              before[*b].name, after[a].name);
                    bouquets_.add(std::move(rows));
                }
                compareItems(before[*b], after[a]);
            } else {
                bouquets_.add(bouquet(after[a], a, DiffChange::Added));
                allItems(after[a], DiffChange::Added);
            }
        }
        for (std::size_t k = 0; k < places.size(); ++k) {
            if (!kept[k]) {
                DiffRow row = bouquet(after[places[k]], places[k], DiffChange::Moved);
                row.before = std::to_string(pairedBefore[k] + 1);
                row.after = std::to_string(places[k] + 1);
                bouquets_.add(std::move(row));
            }
        }
        for (std::uint32_t b = 0; b < before.size(); ++b) {
            if (!pairing.afterOf[b]) {
                bouquets_.add(bouquet(before[b], b, DiffChange::Removed));
                allItems(before[b], DiffChange::Removed);
            }
        }
        bouquets_.moveInto(out);
        items_.moveInto(out);
    }

private:
    static DiffRow bouquet(const Bouquet& b, std::size_t index, DiffChange change) {
        DiffRow row;
        row.area = DiffArea::Bouquet;
        row.change = change;
        row.name = b.name;
        row.where = rowText(index);
        return row;
    }

    DiffRow item(const Bouquet& b, std::size_t index, DiffChange change) const {
        const bool beforeSide = change == DiffChange::Removed;
        const Workspace& ws = beforeSide ? sides_.before : sides_.after;
        DiffRow row;
        row.area = DiffArea::Item;
        row.change = change;
        row.where = b.name + " " + rowText(index);
        if (const auto s = b.items[index].service) {
            row.name = ws.services().serviceName(*s);
            (beforeSide ? row.beforeService : row.afterService) = *s;
        } else {
            row.name = unknownServiceName;
        }
        return row;
    }

    void allItems(const Bouquet& b, DiffChange change) {
        for (std::size_t i = 0; i < b.items.size(); ++i) {
            items_.add(item(b, i, change));
        }
    }

    // Items of the longest run both bouquets share in order stay; of the others, those naming
    // the same service pair in order and moved; the rest were added or removed.
    void compareItems(const Bouquet& before, const Bouquet& after) {
        Pairing pairing = commonRun(sides_, before.items, after.items);
        for (std::uint32_t j = 0; j < after.items.size(); ++j) {
            if (pairing.beforeOf[j]) {
                continue;
            }
            std::optional<std::uint32_t> moved;
            for (std::uint32_t i = 0; i < before.items.size() && !moved; ++i) {
                if (!pairing.afterOf[i] && sameService(sides_, before.items[i], after.items[j])) {
                    moved = i;
                }
            }
            if (!moved) {
                items_.add(item(after, j, DiffChange::Added));
                continue;
            }
            pairing.pair(*moved, j);
            DiffRow row = item(after, j, DiffChange::Moved);
            row.beforeService = before.items[*moved].service;
            row.before = std::to_string(*moved + 1);
            row.after = std::to_string(j + 1);
            items_.add(std::move(row));
        }
        for (std::uint32_t i = 0; i < before.items.size(); ++i) {
            if (!pairing.afterOf[i]) {
                items_.add(item(before, i, DiffChange::Removed));
            }
        }
    }

    const Sides& sides_;
    ChangeGroups bouquets_;
    ChangeGroups items_;
};

} // namespace

void compareBouquets(const Sides& sides, Comparison& out) {
    BouquetRows(sides).run(out);
}

} // namespace tavrino::comparing
