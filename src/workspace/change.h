#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrino {

// What one closed step changed, worked out once from the bytes it wrote and told to every
// listener of the workspace, so the lists show it without each operation saying so.
struct Change {
    enum class Kind {
        Edit, // an operation wrote into the images
        Undo,
        Redo,
        Open, // files opened or received; or the satellite files on their own
        Save, // the images now match the files saved: the modified marker changes
    };
    Kind kind = Kind::Edit;
    std::string name;                       // the step's name, as Undo and Redo show it
    std::vector<int> bouquetRecords;        // records whose name, items or count changed
    std::vector<std::uint32_t> serviceRows; // service-table rows whose record changed
    bool servicesRebuilt = false;           // the service table was read again whole
    bool satellitesChanged = false;         // antenna_list.dat or DVBS.dat changed
    bool bouquetsChanged = false;           // the bouquet area was written
    bool databaseReplaced = false;          // other files: every table is new

    bool undoOrRedo() const { return kind == Kind::Undo || kind == Kind::Redo; }
};

using ChangeListener = std::function<void(const Change&)>;

// "Drop 1 Service", "Drop 12 Services".
std::string countedName(const std::string& verb, std::size_t count, const std::string& noun);

} // namespace tavrino
