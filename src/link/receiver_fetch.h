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

// A new folder inside `in` (created when missing) that goes away with this object; its path
// is empty when it could not be made.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::filesystem::path& in);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace tavrino
