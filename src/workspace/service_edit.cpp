#include "workspace/service_edit.h"

#include "services/service_write.h"

namespace tavrino {
namespace {

constexpr int choosableSatellites = 255; // numbers 0 to 254; 255 cannot be chosen

} // namespace

ServiceForm openServiceForm(const Workspace& workspace, std::uint32_t tableRow) {
    std::vector<std::string> satelliteTable;
    satelliteTable.reserve(choosableSatellites);
    for (int i = 0; i < choosableSatellites; ++i) {
        satelliteTable.push_back(workspace.satelliteName(i));
    }
    ServiceForm form = makeServiceForm(workspace.services(), tableRow, satelliteTable);
    form.opened = workspace.mark();
    return form;
}

bool serviceFormCurrent(const Workspace& workspace, const ServiceForm& form) {
    return workspace.stillAfter(form.opened) && workspace.services().findByOffset(form.record);
}

ServiceEditResult editService(Workspace& workspace, const ServiceForm& opened,
                              const ServiceForm& edited) {
    ServiceEditResult result;
    const auto row = workspace.services().findByOffset(opened.record);
    if (!row || !workspace.stillAfter(opened.opened)) {
        result.stale = true;
        return result;
    }
    result.tableRow = static_cast<std::uint32_t>(*row);
    const DecodedService stored = workspace.services().row(*row).record;
    auto plan = planServiceEdit(opened, edited, stored, workspace.codePage());
    if (auto* refusal = std::get_if<FieldRefusal>(&plan)) {
        result.refusal = std::move(*refusal);
        return result;
    }
    const ServiceChanges& changes = std::get<ServiceChanges>(plan);
    if (changes == ServiceChanges{}) {
        return result;
    }
    const std::uint64_t before = workspace.history().lastDone();
    {
        const auto step = workspace.beginEdit(editServiceStep);
        ImageEditor channel = workspace.channelEditor();
        writeServiceChanges(channel, stored.offset, changes);
        result.bouquetRecords = followServiceReferences(channel, stored.flag, stored.sid, changes);
    }
    result.written = workspace.history().lastDone() != before;
    return result;
}

} // namespace tavrino
