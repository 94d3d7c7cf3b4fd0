#include "cli/edit_session.h"
#include "common/excerpt.h"

#include <climits>
#include <functional>
#include <ostream>
#include <sstream>

namespace tavrino::cli {
namespace {

int listRow(const Session& s, const Arguments& args, std::size_t at, const char* what) {
    if (s.editor.rows().empty()) {
        throw InputRefused(s.ws.files().channelPath + ": the database holds no bouquets");
    }
    return parseInt(args.positional(at, what), what, 1, static_cast<int>(s.editor.rows().size())) -
           1;
}

// A bouquet name as typed; an empty one would hide the bouquet from the list.
std::string bouquetName(const Arguments& args, std::size_t at) {
    std::string name = args.positional(at, "NAME");
    if (name.empty()) {
        throw UsageError("NAME must not be empty");
    }
    return name;
}

void add(const Arguments& args, Context& ctx) {
    const std::string name = bouquetName(args, 1);
    editFolder(args, ctx, 2, [&](Session& s) { return s.editor.add(name).written; });
}

void insert(const Arguments& args, Context& ctx) {
    const std::string name = bouquetName(args, 2);
    editFolder(args, ctx, 3, [&](Session& s) {
        return s.editor.insert(listRow(s, args, 1, "ROW"), name).written;
    });
}

void rename(const Arguments& args, Context& ctx) {
    const std::string name = bouquetName(args, 2);
    editFolder(args, ctx, 3, [&](Session& s) {
        return s.editor.rename(listRow(s, args, 1, "ROW"), name).written;
    });
}

void remove(const Arguments& args, Context& ctx) {
    editFolder(args, ctx, 2,
               [&](Session& s) { return s.editor.remove(listRow(s, args, 1, "ROW")).written; });
}

void move(const Arguments& args, Context& ctx) {
    editFolder(args, ctx, 3, [&](Session& s) {
        std::optional<int> onto;
        if (args.positional(2, "ONTO") != "end") {
            onto = listRow(s, args, 2, "ONTO");
        }
        return s.editor.move(listRow(s, args, 1, "ROW"), onto).written;
    });
}

std::vector<std::uint32_t> servicesByFlagAndSid(const Session& s, const std::string& list) {
    std::vector<std::uint32_t> rows;
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) {
            throw UsageError("--services takes FLAG:SID pairs separated by commas");
        }
        const int flag = parseInt(item.substr(0, colon), "FLAG", INT32_MIN, INT32_MAX);
        const int sid = parseInt(item.substr(colon + 1), "SID", 0, 65535);
        const auto row = s.ws.services().findByFlagAndSid(flag, static_cast<std::uint16_t>(sid));
        if (!row) {
            throw InputRefused(s.ws.files().channelPath + ": no service with FLAG " +
                               std::to_string(flag) + " and SID " + std::to_string(sid));
        }
        rows.push_back(static_cast<std::uint32_t>(*row));
    }
    if (rows.empty()) {
        throw UsageError("--services takes FLAG:SID pairs separated by commas");
    }
    return rows;
}

std::vector<std::uint32_t> servicesByFilter(Session& s, const Arguments& args) {
    ServiceFilter filter;
    if (const auto name = args.value("satellite")) {
        const auto& names = s.ws.services().satelliteNames();
        for (std::size_t i = 0; i < names.size() && !filter.satelliteBlock; ++i) {
            if (s.ws.codePage().toUtf8(names[i]) == *name) {
                filter.satelliteBlock = static_cast<std::uint32_t>(i);
            }
        }
        if (!filter.satelliteBlock) {
            throw UsageError("no satellite named '" + excerpt(*name) + "' in the service list");
        }
    }
    if (const auto type = args.value("type")) {
        if (*type != "TV" && *type != "Radio") {
            throw UsageError("--type must be TV or Radio");
        }
        filter.type = *type == "TV" ? TypeText::TV : TypeText::Radio;
    }
    s.ws.view().applyFilter(s.ws.services(), filter);
    std::vector<std::uint32_t> rows = s.ws.view().rows();
    const int limit = args.intValue("limit", 200, 1, 200);
    if (rows.size() > static_cast<std::size_t>(limit)) {
        rows.resize(static_cast<std::size_t>(limit));
    }
    return rows;
}

void addServices(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Session s(ctx);
    openForEdit(s, args);
    const int row = listRow(s, args, 1, "ROW");
    const bool byFilter = args.has("satellite") || args.has("type") || args.has("limit");
    if (args.has("services") == byFilter) {
        throw UsageError("give either --services FLAG:SID,... or --satellite / --type");
    }
    const auto services =
        byFilter ? servicesByFilter(s, args) : servicesByFlagAndSid(s, *args.value("services"));
    std::optional<int> before;
    if (args.has("at")) {
        const int items = static_cast<int>(s.editor.items(row).size());
        before = args.intValue("at", 1, 1, items + 1) - 1;
    }
    finish(s, s.editor.dropServices(row, services, before).written, args, ctx);
}

void removeItems(const Arguments& args, Context& ctx) {
    Session s(ctx);
    openForEdit(s, args);
    const int row = listRow(s, args, 1, "ROW");
    const int count = static_cast<int>(s.editor.items(row).size());
    if (args.positional().size() < 3) {
        throw UsageError("missing ITEM");
    }
    std::vector<int> items;
    for (std::size_t i = 2; i < args.positional().size(); ++i) {
        items.push_back(parseInt(args.positional()[i], "ITEM", 1, std::max(1, count)) - 1);
    }
    if (count == 0) {
        throw InputRefused(s.ws.files().channelPath + ": the bouquet is empty");
    }
    finish(s, s.editor.deleteItems(row, items).written, args, ctx);
}

} // namespace

std::vector<Command> bouquetCommands() {
    return {
        {"bouquet-add",
         "DIR NAME",
         "Adds a bouquet at the end of the list.",
         {},
         withSaveFlags(),
         add},
        {"bouquet-insert",
         "DIR ROW NAME",
         "Inserts a bouquet before list row ROW.",
         {},
         withSaveFlags(),
         insert},
        {"bouquet-rename",
         "DIR ROW NAME",
         "Renames the bouquet in list row ROW.",
         {},
         withSaveFlags(),
         rename},
        {"bouquet-remove",
         "DIR ROW",
         "Removes the bouquet in list row ROW with its items.",
         {},
         withSaveFlags(),
         remove},
        {"bouquet-move",
         "DIR ROW ONTO|end",
         "Moves the bouquet in row ROW just before row ONTO, or to the end.",
         {},
         withSaveFlags(),
         move},
        {"bouquet-add-services",
         "DIR ROW (--services FLAG:SID,... | [--satellite NAME] [--type TV|Radio] [--limit N]) "
         "[--at ITEM]",
         "Adds services to the bouquet in row ROW, at the end or before item ITEM (from 1):\n"
         "those named by FLAG and SID, or those the service filter shows, in file order.",
         {"services", "satellite", "type", "limit", "at"},
         withSaveFlags(),
         addServices},
        {"bouquet-remove-items",
         "DIR ROW ITEM...",
         "Removes items (numbered from 1) from the bouquet in row ROW.",
         {},
         withSaveFlags(),
         removeItems},
    };
}

} // namespace tavrino::cli
