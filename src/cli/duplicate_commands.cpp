#include "bouquets/bouquet_duplicates.h"
#include "cli/edit_session.h"
#include "reference/duplicate_services.h"
#include "services/service_columns.h"

#include <ostream>

namespace tavrino::cli {
namespace {

void listServiceGroups(const Workspace& ws, Context& ctx) {
    TableWriter table(
        {"Group", "Service", "Satellite", "Frequency", "Pol", "SID", "TID", "NID", "FLAG", "Rule"});
    const DuplicateServices found = findDuplicateServices(ws);
    const ServiceTable& t = ws.services();
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        const DuplicateGroup& group = found.groups[g];
        for (std::size_t m = 0; m < group.services.size(); ++m) {
            const std::uint32_t r = group.services[m];
            table.add({std::to_string(g + 1), t.cellText(r, colService),
                       t.cellText(r, colSatellite), t.cellText(r, colFrequency),
                       t.cellText(r, colPol), t.cellText(r, colSid), t.cellText(r, colTid),
                       t.cellText(r, colNid), t.cellText(r, colFlag),
                       std::string(duplicateRuleText(group.rules[m]))});
        }
    }
    table.print(ctx.out, ctx.format);
}

void listDuplicateItems(const Workspace& ws, Context& ctx) {
    TableWriter table({"Bouquet", "Item", "Service", "FirstItem"});
    for (const auto& bouquet : ws.files().bouquets.rows) {
        const auto items = readBouquetItems(ws, bouquet.record);
        const auto first = firstItemsNaming(ws, items);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (first[i]) {
                table.add({ws.codePage().toUtf8(bouquet.name), std::to_string(i + 1), items[i].name,
                           std::to_string(*first[i] + 1)});
            }
        }
    }
    table.print(ctx.out, ctx.format);
}

void duplicates(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    if (args.has("bouquets")) {
        listDuplicateItems(ws, ctx);
    } else {
        listServiceGroups(ws, ctx);
    }
}

std::size_t duplicateCount(const Session& s, int row) {
    std::size_t count = 0;
    for (const auto& first : firstItemsNaming(s.ws, s.editor.items(row))) {
        count += first ? 1 : 0;
    }
    return count;
}

void dedupe(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Session s(ctx);
    openForEdit(s, args);
    const int rows = static_cast<int>(s.editor.rows().size());
    if (rows == 0) {
        throw InputRefused(s.ws.files().channelPath + ": the database holds no bouquets");
    }
    const std::string which = args.positional(1, "ROW");
    const int from = which == "all" ? 0 : parseInt(which, "ROW", 1, rows) - 1;
    const int to = which == "all" ? rows : from + 1;
    std::size_t removed = 0;
    for (int row = from; row < to; ++row) {
        const std::size_t count = duplicateCount(s, row);
        if (s.editor.removeDuplicateItems(row).written) {
            removed += count;
        }
    }
    finish(s, removed > 0, args, ctx);
    ctx.out << "removed " << removed << " duplicate item" << (removed == 1 ? "" : "s") << '\n';
}

} // namespace

std::vector<Command> duplicateCommands() {
    return {
        {"duplicates",
         "DIR [--bouquets]",
         "Groups of services that are the same channel: equal position (else satellite block),\n"
         "polarisation and SID with frequencies within 2 MHz of each other, or equal SID, TID\n"
         "and NID; a name alone never groups. Ties chain: A and C are in one group when each is\n"
         "within 2 MHz of B. Prints Group,Service,Satellite,Frequency,Pol,SID,TID,NID,FLAG,Rule,\n"
         "one row per service, groups numbered from 1, largest first; Rule is the strongest rule\n"
         "that ties the service to another of its group. --bouquets lists instead the items that\n"
         "name a service an earlier item of their bouquet names: Bouquet,Item,Service,FirstItem\n"
         "(the bouquet's name; items numbered from 1).",
         {},
         {"bouquets"},
         duplicates},
        {"bouquet-dedupe",
         "DIR ROW|all",
         "Removes from the bouquet in list row ROW (or from every bouquet) each item that names a\n"
         "service an earlier item of that bouquet names; the first stays. Items whose service is\n"
         "not in the list stay. Says how many items it removed.",
         {},
         withSaveFlags(),
         dedupe},
    };
}

} // namespace tavrino::cli
