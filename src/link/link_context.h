#pragma once

#include "common/notice.h"
#include "link/profiles.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tavrino {

using Milliseconds = std::chrono::milliseconds;

// How long each wait of a conversation with the receiver may take.
struct LinkTimeouts {
    Milliseconds connect{10000};  // TCP connect, FTP and telnet
    Milliseconds reply{10000};    // each FTP reply, each telnet login wait
    Milliseconds prompt{10000};   // the prompt after the reload command
    Milliseconds dataIdle{10000}; // an FTP data connection with no bytes moving
    Milliseconds settle{3000};    // the pause between the last upload and the reload

    // Every wait bounded by `limit` (the command line's --timeout); the pause stays.
    static LinkTimeouts all(Milliseconds limit) {
        return {limit, limit, limit, limit, Milliseconds{3000}};
    }
};

// Set from any thread; the workflow stops at its next check, also inside a transfer.
class CancelToken {
public:
    void cancel() { cancelled_.store(true); }
    bool cancelled() const { return cancelled_.load(); }

private:
    std::atomic<bool> cancelled_{false};
};

// Text added to the telnet transcript pane; `cleared` empties the pane first.
struct TranscriptChange {
    bool cleared = false;
    std::string added; // code-page bytes, lines ended by CR LF
};

// What a running workflow shows. Called on the workflow's thread.
class LinkProgress {
public:
    virtual ~LinkProgress() = default;
    // The connection status window's text: "Conecting...", "Downloading...", ...
    virtual void step(const std::string& text) { (void)text; }
    // Bytes of the current file moved so far; total is 0 while unknown.
    virtual void bytes(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
    virtual void transcript(const TranscriptChange& change) { (void)change; }
};

// Everything a workflow talks to. The prompter is called on the workflow's thread.
struct LinkContext {
    const ConnectionProfile& profile;
    const LinkTimeouts& timeouts;
    std::filesystem::path dataFolder;
    LinkProgress& progress;
    Prompter& prompter;
    const CancelToken& cancel;
};

} // namespace tavrino
