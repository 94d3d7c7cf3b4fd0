#pragma once

#include "cli/command.h"
#include "document/document.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavrino::cli {

// Confirms every question (the command line is the confirmation) and turns any limit message
// into a refusal, so a command either does all it was asked or writes nothing.
class CommandLinePrompter : public Prompter {
public:
    void tell(const Notice& notice) override {
        if (message.empty()) {
            message = notice.text;
        }
    }
    bool ask(const Notice& question) override {
        questions.push_back(question.text);
        return true;
    }
    std::string message;
    std::vector<std::string> questions;
};

// One editing command: the folder opened as "Open Files" does, edited, and written back. It
// holds the folder's lock from the open to the save, so another Tavrino neither saves in
// between (and loses this edit, or has its own lost) nor takes this save's files for debris.
struct Session {
    explicit Session(const Context& context)
        : ctx(context), doc(prompter, *ctx.codePage), ws(doc.workspace()), editor(doc.bouquets()) {}
    const Context& ctx;
    std::optional<FolderLock> lock;
    CommandLinePrompter prompter;
    Document doc;
    Workspace& ws;         // doc's
    BouquetEditor& editor; // doc's
    std::string folder;
};

// Takes the folder's lock (waiting a few seconds for another holder; refused when it stays
// held) and opens the folder.
void openForEdit(Session& s, const Arguments& args);

// Writes the folder back (all or nothing, after a backup) unless something was refused.
void finish(Session& s, bool changed, const Arguments& args, const Context& ctx);

// Opens DIR, runs one edit and writes the folder back when the edit changed it.
void editFolder(const Arguments& args, Context& ctx, std::size_t positionalCount,
                const std::function<bool(Session&)>& edit);

// An edit refused because of a value: exit status 2 with the message, naming `file` (by
// default all_channel.dat).
[[noreturn]] void refuse(const Session& s, const Notice& notice, const std::string& file = {});
// The path of DVBS.dat in the folder the session opened.
std::string dvbsPath(const Session& s);

} // namespace tavrino::cli
