#include "common/data_folder.h"
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

// Files of an earlier receive must never be opened with this one's.
std::optional<std::string> removeStagedCopies(const fs::path& staging) {
    std::error_code error;
    fs::create_directories(staging, error);
    for (const char* name : receiveOrder) {
        fs::remove(staging / name, error);
        if (error) {
            return (staging / name).string() + ": " + error.message();
        }
    }
    return std::nullopt;
}

std::string fileLine(const FileReport& file) {
    return file.name + ": " + file.reason;
}

// Tells what went wrong with one file; false when the session failed and the receive ends.
bool reportFile(FileReport& file, const TransferStatus& outcome, const LinkContext& ctx) {
    const std::string folder = linktext::receiverFolder;
    file.reason = transferReason(outcome, folder);
    if (outcome.endsSession()) {
        file.fate = FileFate::Failed;
        if (outcome.result != TransferStatus::Result::Cancelled) {
            ctx.prompter.tell(sessionNotice(outcome, folder));
        }
        return false;
    }
    if (outcome.result == TransferStatus::Result::Missing) {
        file.fate = FileFate::Missing;
        ctx.prompter.tell(fileNotFoundNotice(file.name));
    } else {
        file.fate = FileFate::Failed;
        ctx.prompter.tell(downloadFailedNotice(file.name, file.reason));
    }
    return true;
}

void summarise(ReceiveResult& result, bool sessionFailed, const LinkContext& ctx) {
    std::vector<std::string> missing;
    std::string lines;
    for (const auto& file : result.files) {
        if (file.fate == FileFate::Arrived || file.fate == FileFate::NotTried) {
            continue;
        }
        result.warnings.push_back(fileLine(file));
        if (file.name != antennaFileName) {
            missing.push_back(file.name);
            lines += (lines.empty() ? "" : "; ") + fileLine(file);
        }
    }
    result.readyToOpen =
        !result.cancelled && arrived(result, channelFileName) && arrived(result, dvbsFileName);
    if (result.readyToOpen || result.cancelled) {
        return;
    }
    if (sessionFailed) {
        result.problem = lines;
        return;
    }
    for (const auto& file : result.files) {
        if (file.fate == FileFate::NotTried && file.name != antennaFileName) {
            missing.push_back(file.name);
        }
    }
    ctx.prompter.tell(notOpenedNotice(missing));
    result.problem = lines + " - nothing was opened";
}

} // namespace

ReceiveResult receiveFiles(const LinkContext& ctx) {
    ReceiveResult result;
    result.stagingFolder = stagingFolderOf(ctx.dataFolder);
    for (const char* name : receiveOrder) {
        result.files.push_back({name, FileFate::NotTried, {}});
    }
    if (auto problem = removeStagedCopies(result.stagingFolder)) {
        ctx.prompter.tell({"Failure", *problem, NoticeIcon::Critical});
        result.problem = *problem;
        return result;
    }
    bool sessionFailed = false;
    for (auto& file : result.files) {
        if (ctx.cancel.cancelled()) {
            break;
        }
        ctx.progress.step(linktext::connecting);
        const TransferStatus outcome =
            transferFile({file.name, Direction::Download, result.stagingFolder / file.name}, ctx);
        if (outcome.done()) {
            file.fate = FileFate::Arrived;
        } else if (!reportFile(file, outcome, ctx)) {
            sessionFailed = true;
            break;
        }
    }
    result.cancelled = ctx.cancel.cancelled();
    summarise(result, sessionFailed, ctx);
    return result;
}

} // namespace tavrino
