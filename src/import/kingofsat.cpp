#include "import/kingofsat.h"

#include "database/file_io.h"
#include "database/file_problem.h"
#include "import/import_text.h"
#include "import/transponder_list.h"

#include <algorithm>

namespace tavrino {
namespace {
namespace tx = import_text;

constexpr SizeLimit listFileLimit{4u << 20, "4 MiB, far more than such a list holds"};

std::string_view asView(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Reads one list into `out`, or records why it could not be used.
void addList(ImportedList& out, std::string_view text, const std::string& source) {
    try {
        std::vector<std::string> notes;
        out.satellites.push_back(parseTransponderList(text, source, notes));
        out.notes.insert(out.notes.end(), notes.begin(), notes.end());
    } catch (const FileProblem& problem) {
        out.failures.push_back({source, problem.detail()});
    }
}

} // namespace

std::string satListLabel(std::string_view line) {
    const std::size_t start = line.find("pos=");
    if (start == std::string_view::npos) {
        return "NOK";
    }
    std::string_view value = line.substr(start + 4);
    value = value.substr(0, value.find('&'));
    return value.empty() ? "NOK" : std::string(value);
}

SatList readSatList(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file, smallTextFileLimit);
    if (!bytes || bytes->empty()) {
        throw FileProblem(FileProblem::Kind::EmptyFile, file.string(), "");
    }
    const std::string text = tx::asUtf8(asView(*bytes));
    SatList list;
    const auto lines = tx::splitLines(text);
    for (const std::string_view line : lines) {
        if (list.entries.size() == maxSatListEntries) {
            list.notes.push_back(file.string() + ": only the first 257 lines are read; " +
                                 std::to_string(lines.size() - maxSatListEntries) +
                                 " more left out");
            break;
        }
        const std::string_view address = tx::trimmed(line);
        list.entries.push_back({std::string(address), satListLabel(address)});
    }
    return list;
}

std::vector<int> readSelection(const std::filesystem::path& file, std::size_t entryCount) {
    const auto bytes = readWholeFile(file, smallTextFileLimit);
    std::vector<int> chosen;
    if (!bytes) {
        return chosen;
    }
    for (const std::string_view line : tx::splitLines(asView(*bytes))) {
        const auto number = tx::leadingNumber(line);
        if (number && *number >= 0 && static_cast<std::size_t>(*number) < entryCount) {
            chosen.push_back(static_cast<int>(*number));
        }
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

void writeSelection(const std::filesystem::path& file, const std::vector<int>& chosen) {
    std::string text;
    for (const int number : chosen) {
        text += " " + std::to_string(number) + " \r\n";
    }
    writeFileAtomically(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

DownloadOutcome downloadLists(const SatList& satList, std::vector<int> chosen,
                              const HttpOptions& options, DownloadProgress& progress) {
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::erase_if(chosen, [&](int i) {
        return i < 0 || static_cast<std::size_t>(i) >= satList.entries.size();
    });
    DownloadOutcome outcome;
    for (std::size_t done = 0; done < chosen.size(); ++done) {
        const SatListEntry& entry = satList.entries[static_cast<std::size_t>(chosen[done])];
        const std::string source = entry.label == "NOK" ? entry.address : entry.label;
        progress.downloading(done, chosen.size(), source);
        if (progress.cancelled()) {
            outcome.cancelled = true;
            return outcome;
        }
        const HttpReply reply =
            httpGet(entry.address, options, [&progress] { return progress.cancelled(); });
        if (reply.cancelled) {
            outcome.cancelled = true;
            return outcome;
        }
        if (reply.ok) {
            addList(outcome.list, reply.body, source);
        } else {
            outcome.list.failures.push_back({source, reply.problem});
        }
    }
    progress.downloading(chosen.size(), chosen.size(), "");
    return outcome;
}

ImportedList readTransponderLists(const std::vector<std::filesystem::path>& files) {
    ImportedList list;
    for (const auto& file : files) {
        try {
            const auto bytes = readWholeFile(file, listFileLimit);
            if (!bytes || bytes->empty()) {
                list.failures.push_back(
                    {file.string(), bytes ? "the file is empty" : "no such file"});
                continue;
            }
            addList(list, asView(*bytes), file.string());
        } catch (const FileProblem& problem) {
            list.failures.push_back({file.string(), problem.detail()});
        }
    }
    return list;
}

} // namespace tavrino
