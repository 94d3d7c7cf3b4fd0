#include "satellites/transponder_editor.h"

#include "database/layout.h"
#include "database/option_texts.h"
#include "satellites/dvbs_edit.h"
#include "satellites/form_planner.h"

namespace tavrino {
namespace {
namespace dv = layout::dvbs;
namespace t = dv::transponder;
namespace cap = transponder_captions;

int positionIn(const std::vector<std::string>& list, int value, int firstValue = 0) {
    const int position = value - firstValue;
    return position >= 0 && static_cast<std::size_t>(position) < list.size() ? position : -1;
}

const DvbsSatellite* satelliteAt(const Workspace& workspace, int index) {
    const auto& satellites = workspace.files().satelliteFiles.satellites;
    if (index < 0 || static_cast<std::size_t>(index) >= satellites.size()) {
        return nullptr;
    }
    return &satellites[static_cast<std::size_t>(index)];
}

std::size_t entryAt(const DvbsSatellite& satellite, int transponder) {
    return satellite.offset + dv::satelliteSize +
           dv::transponderSize * static_cast<std::size_t>(transponder);
}

RecordPlan planEntry(const TransponderForm* opened, const TransponderForm& edited) {
    using F = TransponderForm;
    using namespace options;
    FormPlanner<TransponderForm> p(opened, edited);
    // Frequencies and symbol rates are positive; the fields are read signed.
    p.number(cap::frequency, &F::frequency, t::frequency, 4, 1, maxPositive32);
    p.number(cap::nid, &F::nid, t::nid, 2, 0, 65535);
    p.number(cap::tid, &F::tid, t::tid, 2, 0, 65535);
    p.number(cap::symbolRate, &F::symbolRate, t::symbolRate, 4, 1, maxPositive32);
    p.list(cap::fec, &F::fec, fecRates().size(), t::fec, 1);
    p.list(cap::polarization, &F::polarization, polarizations().size(), t::polarization, 1);
    p.number(cap::weFlag, &F::weFlag, t::weFlag, 1, 0, 255);
    p.list(cap::pilot, &F::pilot, pilots().size(), t::pilot, 1);
    p.list(cap::modulationSystem, &F::modulationSystem, modulationSystems().size(),
           t::modulationSystem, 1);
    p.list(cap::modulationType, &F::modulationType, modulationTypes().size(), t::modulationType, 1,
           1);
    return p.result();
}

TransponderChange refused(FieldRefusal refusal) {
    return {false, std::move(refusal), std::nullopt};
}

} // namespace

std::vector<std::string> transponderLines(const Workspace& workspace, int satellite) {
    std::vector<std::string> lines;
    if (!satelliteAt(workspace, satellite)) {
        return lines;
    }
    for (const auto& tp : listTransponders(workspace.files().satelliteFiles.dvbs, satellite)) {
        lines.push_back(std::to_string(tp.frequency));
    }
    return lines;
}

TransponderForm transponderForm(const Workspace& workspace, int satellite, int transponder) {
    using namespace options;
    TransponderForm form;
    const DvbsSatellite* sat = satelliteAt(workspace, satellite);
    if (!sat || transponder < 0 || transponder >= sat->tpCount) {
        return form;
    }
    const auto list = listTransponders(workspace.files().satelliteFiles.dvbs, satellite);
    const DvbsTransponder& tp = list[static_cast<std::size_t>(transponder)];
    const PositionText position = formatPosition(tp.orbitalPosition);
    form.frequency = std::to_string(tp.frequency);
    form.nid = std::to_string(tp.nid);
    form.tid = std::to_string(tp.tid);
    form.symbolRate = std::to_string(tp.symbolRate);
    form.fec = positionIn(fecRates(), tp.fec);
    form.polarization = positionIn(polarizations(), tp.polarization);
    form.weFlag = std::to_string(tp.weFlag);
    form.pilot = positionIn(pilots(), tp.pilot);
    form.position = position.degrees;
    form.eastWest = position.eastWest == "W" ? 1 : 0;
    form.modulationSystem = positionIn(modulationSystems(), tp.modulationSystem);
    form.modulationType = positionIn(modulationTypes(), tp.modulationType, 1);
    return form;
}

TransponderChange addTransponder(Workspace& workspace, int satellite, const TransponderForm& form) {
    const DvbsSatellite* sat = satelliteAt(workspace, satellite);
    if (!sat) {
        return {};
    }
    if (static_cast<std::size_t>(sat->tpCount) >= dv::maxTransponders) {
        return refused({"", limitNotice(maxTranspondersMessage)});
    }
    auto plan = planEntry(nullptr, form);
    if (auto* r = std::get_if<FieldRefusal>(&plan)) {
        return refused(std::move(*r));
    }
    Bytes entry(dv::transponderSize, 0);
    // The satellite's stored position, not what its position box may hold unsaved.
    dvbs_edit::entryFixedBytes(entry, 0, sat->orbitalPosition);
    for (const RecordWrite& w : std::get<std::vector<RecordWrite>>(plan)) {
        writeNumber(entry, w.at, w.width, w.value);
    }
    const int count = sat->tpCount;
    {
        const auto step = workspace.beginEdit("Add Transponder");
        Bytes image = dvbs_edit::spliced(workspace.files().satelliteFiles.dvbs.bytes,
                                         dvbs_edit::endOf(*sat), 0, entry);
        writeNumber(image, sat->offset + dv::satelliteTpCount, 2, count + 1);
        workspace.dvbsEditor().replaceAll(std::move(image));
    }
    return {true, std::nullopt, count};
}

TransponderChange updateTransponder(Workspace& workspace, int satellite, int transponder,
                                    const TransponderForm& opened, const TransponderForm& edited) {
    const DvbsSatellite* sat = satelliteAt(workspace, satellite);
    if (!sat || transponder < 0 || transponder >= sat->tpCount) {
        return {};
    }
    auto plan = planEntry(&opened, edited);
    if (auto* r = std::get_if<FieldRefusal>(&plan)) {
        return refused(std::move(*r));
    }
    const auto& writes = std::get<std::vector<RecordWrite>>(plan);
    if (writes.empty()) {
        return {false, std::nullopt, transponder};
    }
    const std::size_t at = entryAt(*sat, transponder);
    const Bytes& image = workspace.files().satelliteFiles.dvbs.bytes;
    Bytes entry(image.begin() + static_cast<std::ptrdiff_t>(at),
                image.begin() + static_cast<std::ptrdiff_t>(at + dv::transponderSize));
    // The satellite's stored position, not what its position box may hold unsaved.
    dvbs_edit::entryFixedBytes(entry, 0, sat->orbitalPosition);
    for (const RecordWrite& w : writes) {
        writeNumber(entry, w.at, w.width, w.value);
    }
    const std::uint64_t before = workspace.history().lastDone();
    {
        const auto step = workspace.beginEdit("Update Transponder");
        workspace.dvbsEditor().writeBytes(at, entry);
    }
    return {workspace.history().lastDone() != before, std::nullopt, transponder};
}

TransponderChange deleteTransponder(Workspace& workspace, int satellite, int transponder) {
    const DvbsSatellite* sat = satelliteAt(workspace, satellite);
    if (!sat || transponder < 0 || transponder >= sat->tpCount) {
        return {};
    }
    const int count = sat->tpCount;
    {
        const auto step = workspace.beginEdit("Delete Transponder");
        Bytes image = dvbs_edit::spliced(workspace.files().satelliteFiles.dvbs.bytes,
                                         entryAt(*sat, transponder), dv::transponderSize, {});
        writeNumber(image, sat->offset + dv::satelliteTpCount, 2, count - 1);
        workspace.dvbsEditor().replaceAll(std::move(image));
    }
    std::optional<int> select;
    if (count > 1) {
        select = std::min(transponder, count - 2);
    }
    return {true, std::nullopt, select};
}

} // namespace tavrino
