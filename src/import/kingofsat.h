#pragma once

#include "import/http_get.h"
#include "import/imported_list.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

inline constexpr const char* satListFileName = "SATList.ini";
inline constexpr const char* selectionFileName = "Sel.ini";
inline constexpr std::size_t maxSatListEntries = 257;

struct SatListEntry {
    std::string address;
    std::string label; // what the selection window shows
};

struct SatList {
    std::vector<SatListEntry> entries; // one per line, in file order
    std::vector<std::string> notes;
};

// The label of a SATList.ini line: the text after the first "pos=" up to the next "&" (or the
// end of the line); "NOK" when there is none.
std::string satListLabel(std::string_view line);

// "SATList.ini": one address per line, at most 257. A missing or empty file is the
// "Empty file" problem (FileProblem::Kind::EmptyFile).
SatList readSatList(const std::filesystem::path& file);

// "Sel.ini": the entry numbers chosen last time, each read as its leading number; numbers
// with no entry are dropped. None when the file is missing.
std::vector<int> readSelection(const std::filesystem::path& file, std::size_t entryCount);
// Remembers the choice, one number a line with a blank before and after it. Throws
// FileProblem.
void writeSelection(const std::filesystem::path& file, const std::vector<int>& chosen);

// What the download shows while it runs. Called on the thread that runs the download; the
// window runs it on a worker and answers cancelled() from a flag its Cancel button sets.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    // `done` of `total` lists fetched; `label` names the one fetched next (empty at the end).
    virtual void downloading(std::size_t done, std::size_t total, const std::string& label) {
        (void)done;
        (void)total;
        (void)label;
    }
    virtual bool cancelled() const { return false; }
};

struct DownloadOutcome {
    ImportedList list; // the lists that arrived and could be read, in SATList.ini order
    bool cancelled = false;
};

// One GET per chosen entry (numbers into `satList.entries`, taken in increasing order). A
// list that fails to arrive or to be read goes to `failures` under its label.
DownloadOutcome downloadLists(const SatList& satList, std::vector<int> chosen,
                              const HttpOptions& options, DownloadProgress& progress);

// KingOfSat-format lists read from files, in the given order; a file that cannot be read goes
// to `failures` under its path.
ImportedList readTransponderLists(const std::vector<std::filesystem::path>& files);

} // namespace tavrino
