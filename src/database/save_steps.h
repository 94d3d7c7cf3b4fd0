#pragma once

// The steps of an all-or-nothing save and its journal, shared by the save (group_commit.cpp)
// and the recovery of a save cut short (save_recovery.cpp). Not for use outside database/.
#include "database/file_io.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino::save_steps {

inline constexpr const char* journalName = ".tavrino-save";
inline constexpr const char* journalForward = "tavrino save 1 forward";
inline constexpr const char* journalUndo = "tavrino save 1 undo";
inline constexpr std::size_t suffixLength = 6; // the XXXXXX of a hidden name

struct Step {
    std::string target; // names inside the folder
    std::string temp;
    std::string old; // empty: nothing of that name existed before the save
};

struct Failure {
    std::string target;
    int error;
};

struct Group {
    std::filesystem::path folder;
    std::vector<Step> steps;
    FileSystemCalls calls;

    std::filesystem::path at(const std::string& name) const { return folder / name; }
    int replace(const std::string& from, const std::string& to) const;
    int link(const std::string& from, const std::string& to) const;
};

// all_channel.dat, DVBS.dat or antenna_list.dat: the only files a group save replaces.
bool isReceiverFileName(std::string_view name);

// ".<name>.<kind>-XXXXXX" with `kind` "tmp" or "old", as the saves name their hidden files.
bool isHiddenFileOf(std::string_view hidden, std::string_view target, std::string_view kind);
// The same for any target name.
bool isOurHiddenFile(std::string_view name);

bool present(const std::filesystem::path& path);

// Writes the journal in `state`; returns what went wrong, empty on success.
std::string writeJournal(const Group& g, const char* state);

// Renames the temporaries over their targets. A save (`strict`) fails on a temporary that is
// gone; a recovery takes a missing one for a rename already made.
std::optional<Failure> forward(const Group& g, bool strict);

// Gives replaced targets their old files back: the first `done` steps, or (nullopt, as a
// recovery does) every step whose temporary is gone.
std::optional<Failure> undo(const Group& g, std::optional<std::size_t> done);

// Removes the journal, then whatever hidden files of the steps are still there.
void finish(const Group& g);
void discardHidden(const Group& g);

} // namespace tavrino::save_steps
