#pragma once

#include "common/notice.h"
#include "link/link_context.h"
#include "link/workflows.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

struct FetchResult {
    std::vector<FileReport> files; // all_channel.dat, antenna_list.dat, DVBS.dat
    bool cancelled = false;
    std::string problem;           // one line for a terminal when a download failed
    std::optional<Notice> failure; // the same for the window

    bool ok() const { return problem.empty() && !cancelled; }
    bool arrived(const std::string& name) const;
};

// Fetches the receiver's three files into `folder` (which must exist), one FTP session each,
// as the backup before a send does. A file the receiver does not have is Missing; any other
// failure stops it. Tells nothing: the caller reports.
FetchResult fetchReceiverFiles(const std::filesystem::path& folder, const LinkContext& ctx);

} // namespace tavrino
