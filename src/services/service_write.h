#pragma once

#include "database/image_editor.h"
#include "services/service_form.h"

#include <cstdint>
#include <vector>

namespace tavrino {

// Writes the changed fields into the service record at `offset`, and nothing else: a new name
// fills bytes 9..104 (zeros after it) and its length, polarisation and flags write their low
// byte only, the satellite number its lowest byte.
void writeServiceChanges(ImageEditor& channel, std::uint32_t offset, const ServiceChanges& changes);

// The slots that name a service by its FLAG and SID (the three reference tables and every
// bouquet's items) take the new values of the fields they copy from it: SID, satellite number,
// frequency, polarisation, NID and TID. Slots of other services stay as they are.
// Returns the bouquet records whose items changed.
std::vector<int> followServiceReferences(ImageEditor& channel, std::int32_t flag,
                                         std::uint16_t oldSid, const ServiceChanges& changes);

} // namespace tavrino
