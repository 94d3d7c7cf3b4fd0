#pragma once

#include "services/service_form.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tavrino {

// The service edit dialog as it opens for a row of the service table.
ServiceForm openServiceForm(const Workspace& workspace, std::uint32_t tableRow);

// False once the files were replaced or the step the form saw last was undone: the dialog
// closes then, since its fields may no longer describe the record.
bool serviceFormCurrent(const Workspace& workspace, const ServiceForm& form);

struct ServiceEditResult {
    bool written = false;
    bool stale = false;                    // the form no longer describes the record
    std::optional<FieldRefusal> refusal;   // nothing written; the dialog stays open
    std::optional<std::uint32_t> tableRow; // the row of the service edited
    std::vector<int> bouquetRecords;       // bouquets whose items followed the service
};

// "OK": writes what differs between the form as edited and as opened, as one undoable step
// "Edit Service"; its close brings the service rows in step (this one and any after it whose
// Type or Pol text repeats it). Bouquet items and reference-table slots
// that name the service by its FLAG and SID follow a new SID.
ServiceEditResult editService(Workspace& workspace, const ServiceForm& opened,
                              const ServiceForm& edited);

inline constexpr const char* editServiceStep = "Edit Service";

} // namespace tavrino
