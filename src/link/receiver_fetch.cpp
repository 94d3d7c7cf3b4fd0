#include "link/receiver_fetch.h"

#include "database/receiver_files.h"
#include "link/link_messages.h"
#include "link/transfer.h"

#include <cstdlib>

namespace tavrino {

bool FetchResult::arrived(const std::string& name) const {
    for (const auto& file : files) {
        if (file.name == name) {
            return file.fate == FileFate::Arrived;
        }
    }
    return false;
}

FetchResult fetchReceiverFiles(const std::filesystem::path& folder, const LinkContext& ctx) {
    const std::string remote = linktext::receiverFolder;
    FetchResult result;
    for (const char* name : {channelFileName, antennaFileName, dvbsFileName}) {
        result.files.push_back({name, FileFate::NotTried, {}});
    }
    for (auto& file : result.files) {
        if (ctx.cancel.cancelled()) {
            break;
        }
        ctx.progress.step(linktext::connecting);
        const TransferStatus outcome =
            transferFile({file.name, Direction::Download, folder / file.name}, ctx);
        file.reason = transferReason(outcome, remote);
        if (outcome.done()) {
            file.fate = FileFate::Arrived;
            continue;
        }
        if (outcome.result == TransferStatus::Result::Missing) {
            file.fate = FileFate::Missing;
            continue;
        }
        file.fate = FileFate::Failed;
        if (outcome.result != TransferStatus::Result::Cancelled) {
            result.problem = file.name + ": " + file.reason;
            result.failure =
                outcome.endsSession()
                    ? sessionNotice(outcome, remote)
                    : Notice{"Failure", file.name + " was not received: " + file.reason + ".",
                             NoticeIcon::Critical};
        }
        break;
    }
    result.cancelled = ctx.cancel.cancelled();
    return result;
}

TemporaryFolder::TemporaryFolder(const std::filesystem::path& in) {
    std::error_code ignored;
    std::filesystem::create_directories(in, ignored);
    std::string pattern = (in / ".preview-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) {
        std::filesystem::remove_all(path_, ignored);
    }
}

} // namespace tavrino
