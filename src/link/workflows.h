#pragma once

#include "database/receiver_files.h"
#include "link/link_context.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tavrino {

// The receive and send workflows. Each runs to its end on the calling thread (the window
// runs it on a worker), reports through ctx.progress, tells the user through ctx.prompter,
// stops at the next check after ctx.cancel is set, and returns what happened to each file.
// What ctx refers to must outlive the call.

enum class FileFate {
    NotTried,
    Arrived, // received: staged; sent: on the receiver with the right size
    Missing, // received: the receiver has no such file
    Failed,  // received: nothing staged; sent: the receiver keeps its own file
    Damaged, // sent: a store that broke off has left the receiver's file incomplete
};

struct FileReport {
    std::string name;
    FileFate fate = FileFate::NotTried;
    std::string reason; // why it did not arrive, one line
};

struct ReceiveResult {
    std::vector<FileReport> files; // all_channel.dat, antenna_list.dat, DVBS.dat
    // all_channel.dat and DVBS.dat arrived: open stagingFolder (Workspace::openStaged).
    bool readyToOpen = false;
    bool cancelled = false;
    std::filesystem::path stagingFolder;
    std::string problem;               // one line for a terminal when nothing can be opened
    std::vector<std::string> warnings; // one line per file that did not arrive
};

// "Receive from Orvix": removes the staged copies, then fetches the three files from /DISK2
// into the staging folder. A refused login or lost connection stops it at once.
ReceiveResult receiveFiles(const LinkContext& ctx);

struct SendOptions {
    bool backup = true; // fetch the receiver's files into backups/receiver/<time> first
    bool reload = true; // the telnet reload after the uploads
    std::size_t keepBackups = 10;
    // Asked on the workflow's thread before the first upload, with the receiver's files as
    // they are (the backup; without one, a copy fetched for the purpose and removed after)
    // and the files about to go up. False: nothing is uploaded and the result says cancelled.
    std::function<bool(const std::filesystem::path& onReceiver,
                       const std::filesystem::path& toSend)>
        confirm = nullptr;
};

struct SendResult {
    std::vector<FileReport> files;      // DVBS.dat, antenna_list.dat, all_channel.dat
    std::filesystem::path backupFolder; // empty when no backup was made
    bool uploaded = false;              // all three are on the receiver
    bool reloaded = false;
    bool cancelled = false;
    std::string problem; // one line for a terminal when the send failed

    bool ok() const { return problem.empty() && !cancelled; }
    std::vector<std::string> reached() const; // files now on the receiver
    // Some of the receiver's files are no longer the ones it had: the backup can help.
    bool receiverChanged() const;
};

// All three images are loaded; anything less would overwrite the receiver's lists with nothing.
bool readyToSend(const ReceiverFiles& files);

// "Send to Orvix": writes the images into the staging folder as a save does, backs up the
// receiver's files, uploads DVBS.dat, antenna_list.dat and all_channel.dat, pauses and has
// the receiver reload. The first failure stops it: no further upload and no reload.
// Takes its own copy of the images, so the window may go on editing while it runs.
SendResult sendFiles(ReceiverFiles files, const SendOptions& options, const LinkContext& ctx);

// Puts the files of a backup folder back on the receiver, as they are and the same way a send
// does; no reload.
SendResult restoreBackup(const std::filesystem::path& backupFolder, const LinkContext& ctx);

} // namespace tavrino
