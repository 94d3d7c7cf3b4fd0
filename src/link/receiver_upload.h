#pragma once

#include "link/link_context.h"
#include "link/workflows.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tavrino {

// ".tavrino-upload-DVBS.dat": where a file waits on the receiver until all three are there.
std::string uploadTemporaryName(const std::string& fileName);

// Puts the files named in result.files, from `folder`, on the receiver in that order: each
// under its temporary name first, checked by size, then all renamed over the receiver's own
// (see sendFiles). Sets the files' fates and result.uploaded. Returns the notice for a failure
// (none for a cancel that changed nothing on the receiver). Temporaries are removed after a
// failure. `restoring` words the notice for putting a backup back.
std::optional<Notice> replaceOnReceiver(const std::filesystem::path& folder, SendResult& result,
                                        const LinkContext& ctx, bool restoring);

} // namespace tavrino
