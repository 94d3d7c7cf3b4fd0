#pragma once

#include "compare/comparison.h"
#include "link/link_context.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

class Workspace;

// What a send would change on the receiver: the receiver's files as they are, compared with
// the lists to send.
struct SendPreview {
    std::optional<Comparison> comparison; // receiver -> lists to send
    // Files the receiver does not have; the comparison takes them as empty.
    std::vector<std::string> missing;
    bool cancelled = false;
    std::string problem; // one line when there is no comparison
};

// Fetches the receiver's files into a temporary folder in the staging folder, reads them as
// "Open Files" does, removes the folder and compares. Uploads nothing and reloads nothing.
// Refuses lists a send would refuse (all three files must be loaded).
// Runs on the caller's thread and tells a failure through ctx.prompter, as the workflows do.
SendPreview previewSend(const Workspace& toSend, const LinkContext& ctx,
                        const CompareOptions& options = {});

// The same against receiver files fetched before, such as the backup a send makes.
SendPreview previewAgainst(const std::filesystem::path& receiverFolder, const Workspace& toSend,
                           const CompareOptions& options = {});

} // namespace tavrino
