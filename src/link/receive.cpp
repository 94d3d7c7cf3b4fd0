#include "common/data_folder.h"
#include "database/folder_lock.h"
#include "link/link_messages.h"
#include "link/transfer.h"
#include "link/workflows.h"

namespace tavrino {
namespace fs = std::filesystem;

namespace {

constexpr const char* receiveOrder[] = {channelFileName, antennaFileName, dvbsFileName};

bool arrived(const ReceiveResult& result, const std::string& name) {
    for (const auto& f : result.files) {
        if (f.name == name) {
            return f.fate == FileFate::Arrived;
        }
    }
    return false;
}

// ".all_channel.dat.part-Ab12Cd": what a download killed on its way leaves behind.
bool isPartFile(const std::string& name) {
    for (const char* file : receiveOrder) {
        const std::string prefix = "." + std::string(file) + ".part-";
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

// Files of an earlier receive must never be opened with this one's. The caller holds the
// folder's lock, so no part file found here belongs to a receive still running.
std::optional<std::string> removeStagedCopies(const fs::path& staging) {
    std::error_code error;
    for (const char* name : receiveOrder) {
        fs::remove(staging / name, error);
        if (error) {
            return (staging / name).string() + ": " + error.message();
        }
    }
    for (const auto& entry : fs::directory_iterator(staging, error)) {
        if (isPartFile(entry.path().filename().string())) {
            fs::remove(entry.path(), error);
        }
    }
    return std::nullopt;
}

std::string fileLine(const FileReport& file) {
    return file.name + ": " + file.reason;
}

std::vector<std::string> namesWith(const ReceiveResult& result, FileFate fate) {
    std::vector<std::string> names;
    for (const auto& file : result.files) {
        if (file.fate == fate) {
            names.push_back(file.name);
        }
    }
    return names;
}

// One message for the whole receive: what went wrong and that nothing was opened.
void conclude(ReceiveResult& result, const std::optional<TransferStatus>& failure,
              const LinkContext& ctx) {
    std::string lines;
    for (const auto& file : result.files) {
        if (file.fate == FileFate::Missing || file.fate == FileFate::Failed) {
            result.warnings.push_back(fileLine(file));
            lines += (lines.empty() ? "" : "; ") + fileLine(file);
        }
    }
    result.readyToOpen = !result.cancelled && !failure && arrived(result, channelFileName) &&
                         arrived(result, dvbsFileName);
    if (result.cancelled) {
        return;
    }
    if (result.readyToOpen) {
        for (const auto& name : namesWith(result, FileFate::Missing)) {
            ctx.prompter.tell(fileNotFoundNotice(name));
        }
        return;
    }
    result.problem = lines + " - nothing was opened";
    if (failure) {
        const std::string folder = linktext::receiverFolder;
        const auto failed = namesWith(result, FileFate::Failed);
        ctx.prompter.tell(
            failure->endsSession()
                ? sessionNotice(*failure, folder)
                : receiveFailedNotice(failed.front(), transferReason(*failure, folder)));
        return;
    }
    std::vector<std::string> absent = namesWith(result, FileFate::Missing);
    std::erase(absent, std::string(antennaFileName));
    ctx.prompter.tell(missingNotOpenedNotice(namesWith(result, FileFate::Missing), absent));
}

} // namespace

ReceiveResult receiveFiles(const LinkContext& ctx) {
    ReceiveResult result;
    result.stagingFolder = stagingFolderOf(ctx.dataFolder);
    for (const char* name : receiveOrder) {
        result.files.push_back({name, FileFate::NotTried, {}});
    }
    std::error_code ignored;
    fs::create_directories(result.stagingFolder, ignored);
    std::string busy;
    const auto lock = FolderLock::tryAcquire(result.stagingFolder, busy);
    std::optional<std::string> problem = lock ? removeStagedCopies(result.stagingFolder) : busy;
    if (problem) {
        ctx.prompter.tell({"Failure", *problem, NoticeIcon::Critical});
        result.problem = *problem;
        return result;
    }
    std::optional<TransferStatus> failure;
    for (auto& file : result.files) {
        if (ctx.cancel.cancelled()) {
            break;
        }
        ctx.progress.step(linktext::connecting);
        const TransferStatus outcome =
            transferFile({file.name, Direction::Download, result.stagingFolder / file.name}, ctx);
        file.reason = transferReason(outcome, linktext::receiverFolder);
        if (outcome.done()) {
            file.fate = FileFate::Arrived;
        } else if (outcome.result == TransferStatus::Result::Missing) {
            file.fate = FileFate::Missing;
        } else {
            // A transfer that began and broke is no missing file: the receive has failed.
            file.fate = FileFate::Failed;
            failure = outcome;
            break;
        }
    }
    result.cancelled = ctx.cancel.cancelled();
    conclude(result, failure, ctx);
    return result;
}

} // namespace tavrino
