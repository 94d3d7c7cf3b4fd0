#include "import/satellite_import.h"

#include "database/layout.h"
#include "database/transponder_file.h"
#include "import/import_text.h"
#include "satellites/satellite_editor.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace tavrino {
namespace {
namespace dv = layout::dvbs;

struct TransponderDiff {
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t changed = 0;
};

using Key = std::pair<std::int32_t, int>; // frequency, polarisation
using Tuning = std::tuple<std::int32_t, int, int, int>;

template <class T>
std::vector<std::pair<Key, Tuning>> keyed(const std::vector<T>& list, auto tuning) {
    std::vector<std::pair<Key, Tuning>> out;
    out.reserve(list.size());
    for (const T& tp : list) {
        out.push_back({{tp.frequency, tp.polarization}, tuning(tp)});
    }
    std::sort(out.begin(), out.end());
    return out;
}

TransponderDiff diff(const std::vector<DvbsTransponder>& before,
                     const std::vector<ImportedTransponder>& after) {
    const auto old = keyed(before, [](const DvbsTransponder& t) {
        return Tuning{t.symbolRate, t.fec, t.modulationSystem, t.modulationType};
    });
    const auto now = keyed(after, [](const ImportedTransponder& t) {
        return Tuning{t.symbolRate, t.fec, t.system, t.modulation};
    });
    TransponderDiff d;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < old.size() || j < now.size()) {
        if (j == now.size() || (i < old.size() && old[i].first < now[j].first)) {
            ++d.removed;
            ++i;
        } else if (i == old.size() || now[j].first < old[i].first) {
            ++d.added;
            ++j;
        } else {
            d.changed += old[i].second != now[j].second ? 1 : 0;
            ++i;
            ++j;
        }
    }
    return d;
}

std::array<std::size_t, 256> servicesBySatellite(const Workspace& workspace) {
    std::array<std::size_t, 256> count{};
    for (const ServiceRow& row : workspace.services().rows()) {
        ++count[row.record.satIndex];
    }
    return count;
}

std::string positionText(std::int32_t tenths) {
    const PositionText text = formatPosition(tenths);
    return text.degrees + text.eastWest;
}

// "3 names ...: A, B, C" with the first ten names.
std::string namedList(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < 10; ++i) {
        text += (i ? ", " : "") + names[i];
    }
    if (names.size() > 10) {
        text += " and " + std::to_string(names.size() - 10) + " more";
    }
    return text;
}

std::optional<Notice> refusalOf(const ImportedList& list, const ImportChoice& choice) {
    const auto chosen = static_cast<std::size_t>(std::count(
        choice.chosen.begin(),
        choice.chosen.begin() +
            static_cast<std::ptrdiff_t>(std::min(choice.chosen.size(), list.satellites.size())),
        true));
    if (chosen == 0) {
        return limitNotice("Tick at least one satellite to import !!!");
    }
    if (chosen > dv::maxSatellites) {
        return limitNotice(maxSatellitesMessage);
    }
    return std::nullopt;
}

void addNameNotes(const ImportPlan& plan, const CodePage& codePage, ImportPreview& preview) {
    std::vector<std::string> replaced;
    std::vector<std::string> cut;
    for (const StoredName& name : plan.names) {
        if (name.replaced) {
            replaced.push_back(codePage.toUtf8(name.bytes));
        }
        if (name.cut) {
            cut.push_back(codePage.toUtf8(name.bytes));
        }
    }
    if (!replaced.empty()) {
        preview.notes.push_back("Characters " + codePage.name() + " cannot store became \"?\" in " +
                                import_text::counted(replaced.size(), "name") + ": " +
                                namedList(replaced));
    }
    if (!cut.empty()) {
        preview.notes.push_back(import_text::counted(cut.size(), "name") +
                                " cut to the 64 bytes of the name field: " + namedList(cut));
    }
}

void addLimitNote(const ImportedList& list, const ImportChoice& choice, ImportPreview& preview) {
    if (list.satellites.size() <= dv::maxSatellites) {
        return;
    }
    std::vector<std::string> left;
    for (std::size_t i = 0; i < list.satellites.size(); ++i) {
        if (i >= choice.chosen.size() || !choice.chosen[i]) {
            left.push_back(list.satellites[i].name + " (" +
                           positionText(list.satellites[i].position) + ")");
        }
    }
    preview.notes.push_back(
        "The list holds " + std::to_string(list.satellites.size()) +
        " satellites and the receiver 256 at most; not imported: " + namedList(left));
}

} // namespace

ImportPreview previewImport(const Workspace& workspace, const ImportedList& list,
                            const ImportChoice& choice) {
    const SatelliteFiles& current = workspace.files().satelliteFiles;
    const CodePage& codePage = workspace.codePage();
    const ImportPlan plan = planImport(list, choice, current, codePage);
    const auto services = servicesBySatellite(workspace);
    ImportPreview preview;
    preview.notes = list.notes;
    preview.failures = list.failures;
    preview.refusal = refusalOf(list, choice);
    for (const ImportedSatellite& sat : list.satellites) {
        PreviewSatellite row;
        row.name = codePage.toUtf8(storedName(sat.name, codePage).bytes);
        row.position = sat.position;
        row.transponders = sat.transponders.size();
        preview.satellites.push_back(std::move(row));
    }
    std::vector<bool> replaced(current.satellites.size(), false);
    for (std::size_t n = 0; n < plan.chosen.size(); ++n) {
        PreviewSatellite& row = preview.satellites[plan.chosen[n]];
        const ImportedSatellite& sat = list.satellites[plan.chosen[n]];
        row.number = static_cast<int>(n);
        row.replaces = plan.replaces[n];
        row.fate = row.replaces ? ImportFate::Kept : ImportFate::Added;
        row.keepsAntenna = plan.antennaFrom[n].has_value();
        const TransponderDiff d = diff(row.replaces ? listTransponders(current.dvbs, *row.replaces)
                                                    : std::vector<DvbsTransponder>{},
                                       sat.transponders);
        row.transpondersAdded = d.added;
        row.transpondersRemoved = d.removed;
        row.transpondersChanged = d.changed;
        if (row.replaces) {
            replaced[static_cast<std::size_t>(*row.replaces)] = true;
            row.services = services[static_cast<std::size_t>(*row.replaces)];
            ++preview.kept;
        } else {
            ++preview.added;
        }
        preview.transponders += sat.transponders.size();
    }
    preview.chosen = plan.chosen.size();
    for (std::size_t i = 0; i < current.satellites.size(); ++i) {
        if (!replaced[i]) {
            const DvbsSatellite& sat = current.satellites[i];
            preview.removed.push_back({static_cast<int>(i), codePage.toUtf8(sat.name),
                                       sat.orbitalPosition, static_cast<std::size_t>(sat.tpCount),
                                       services[i]});
        }
    }
    // A number keeps its meaning only where the satellite now at it replaced the one before.
    for (std::size_t s = 0; s < services.size(); ++s) {
        const bool before = s < current.satellites.size();
        const bool after = s < plan.chosen.size();
        const bool same = after && plan.replaces[s] == static_cast<int>(s);
        if ((before || after) && !same) {
            preview.servicesRenumbered += services[s];
        }
    }
    addNameNotes(plan, codePage, preview);
    addLimitNote(list, choice, preview);
    return preview;
}

ImportResult applyImport(Workspace& workspace, const ImportedList& list,
                         const ImportChoice& choice) {
    if (auto refusal = refusalOf(list, choice)) {
        return {false, std::move(refusal)};
    }
    const SatelliteFiles& current = workspace.files().satelliteFiles;
    const ImportPlan plan = planImport(list, choice, current, workspace.codePage());
    ImportImages images = buildImportImages(list, plan, current);
    {
        const auto step =
            workspace.beginEdit(countedName("Import", plan.chosen.size(), "Satellite"));
        workspace.dvbsEditor().replaceAll(std::move(images.dvbs));
        workspace.antennaEditor().replaceAll(std::move(images.antenna));
    }
    return {true, std::nullopt};
}

} // namespace tavrino
