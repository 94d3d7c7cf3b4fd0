// The whole path of a receiver folder: three files from one input are written to a folder,
// opened through Workspace (with the conversion of old versions), every table is built, every
// bouquet's contents listed, and the folder is saved again and read back.
#include "bouquets/bouquet_editor.h"
#include "bouquets/bouquet_items.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "folder_input.h"
#include "services/service_details.h"
#include "workspace/workspace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

using namespace tavrino;
namespace fs = std::filesystem;
namespace ch = layout::channel;

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

// A folder on tmpfs where there is one, so the saves' flushes cost nothing.
struct Folders {
    Folders() {
        const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
        std::string pattern = (base / "tavrino-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        top = pattern;
        fs::create_directory(in());
        fs::create_directory(out());
    }
    ~Folders() {
        std::error_code ignored;
        fs::remove_all(top, ignored);
    }
    fs::path in() const { return top / "in"; }
    fs::path out() const { return top / "out"; }
    fs::path top;
};

// An empty part stands for a file that is not there.
void writeOrRemove(const fs::path& path, const Bytes& bytes) {
    std::error_code ignored;
    fs::remove(path, ignored);
    if (!bytes.empty()) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
}

// Compares in small pieces: a fresh buffer as large as the file per run costs more in page
// faults than all the rest of the run.
bool holds(const fs::path& path, const Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return bytes.empty();
    }
    static char piece[1 << 16];
    std::size_t at = 0;
    while (in.read(piece, sizeof piece) || in.gcount() > 0) {
        const auto n = static_cast<std::size_t>(in.gcount());
        if (at + n > bytes.size() || std::memcmp(piece, bytes.data() + at, n) != 0) {
            return false;
        }
        at += n;
    }
    return at == bytes.size();
}

[[noreturn]] void fault(const std::string& what) {
    std::fprintf(stderr, "fuzz_folder: %s\n", what.c_str());
    std::abort();
}

void exerciseServices(const Workspace& ws) {
    const ServiceTable& table = ws.services();
    ServiceView view;
    view.reset(table);
    for (const int column : {colService, colFrequency, colSatellite, colFlag}) {
        view.sort(table, column, column != colFrequency);
    }
    view.findByName(table, "a");
    for (std::size_t i = 0; i < table.satelliteNames().size() && i < 8; ++i) {
        view.applyFilter(table, {static_cast<std::uint32_t>(i), std::nullopt});
    }
    view.applyFilter(table, {std::nullopt, TypeText::Radio});
    for (std::size_t r = 0; r < table.size() && r < 64; ++r) {
        for (int c = 0; c < serviceColumnCount; ++c) {
            table.cellText(r, c);
        }
        channelInfoText(table, r);
    }
}

void exerciseTheRest(const Workspace& ws) {
    for (const auto& row : ws.files().bouquets.rows) {
        for (const auto& item : readBouquetItems(ws, row.record)) {
            bouquetItemDetails(item);
        }
    }
    const auto& sat = ws.files().satelliteFiles;
    for (std::size_t i = 0; i < sat.satellites.size(); ++i) {
        for (const auto& tp : listTransponders(sat.dvbs, static_cast<int>(i))) {
            describeTransponder(tp);
        }
        ws.satelliteName(static_cast<int>(i));
    }
    for (const auto& record : sat.antennaSettings.records) {
        describeAntenna(record);
        antennaLine(record.netIndex);
    }
}

// The save must succeed into a healthy folder and write exactly the images.
void saveAndCompare(Workspace& ws, const fs::path& out) {
    for (const char* name : {channelFileName, dvbsFileName, antennaFileName}) {
        writeOrRemove(out / name, {});
    }
    const SaveResult saved = ws.save(out);
    if (!saved.ok()) {
        fault("save failed: " + saved.problem->oneLine());
    }
    const auto& sat = ws.files().satelliteFiles;
    const std::pair<const char*, const Bytes*> images[] = {{channelFileName, &ws.channelBytes()},
                                                           {dvbsFileName, &sat.dvbs.bytes},
                                                           {antennaFileName, &sat.antenna.bytes}};
    for (const auto& [name, bytes] : images) {
        if (!holds(out / name, *bytes)) {
            fault(std::string(name) + " was not saved as it is held");
        }
    }
}

// Offsets in the packed head of the fields worth hitting with chosen values.
struct Field {
    std::size_t at;
    int width;
};

std::size_t headOffset(std::size_t fileOffset) {
    std::size_t at = 0;
    for (const auto& r : fuzz::headRegions()) {
        if (fileOffset >= r.offset && fileOffset < r.offset + r.size) {
            return at + fileOffset - r.offset;
        }
        at += r.size;
    }
    return fuzz::headSize(); // not carried
}

std::vector<Field> makeFields() {
    std::vector<std::pair<std::size_t, int>> file = {
        {ch::version, 1},        {ch::providerCount, 2}, {ch::secondNameCount, 2},
        {ch::thirdNameCount, 2}, {ch::bouquetCount, 2},
    };
    for (const auto& table : ch::referenceTables) {
        file.push_back({table.count, 4});
        file.push_back({table.firstSlot + ch::ref::satIndex, 2});
    }
    for (std::size_t i = 0; i < ch::bouquetCapacity; ++i) {
        const std::size_t provider = ch::providers + ch::nameRecordSize * i;
        const std::size_t bouquet = ch::bouquets + ch::nameRecordSize * i;
        const std::size_t item = ch::bouquetItems + ch::bouquetItemTableSize * i;
        for (const std::size_t at :
             {provider + ch::nameRecordIndex, provider + ch::nameRecordLength,
              bouquet + ch::nameRecordIndex, bouquet + ch::nameRecordLength,
              ch::bouquetItemCounts + 2 * i, item + ch::ref::position, item + ch::ref::satIndex}) {
            file.push_back({at, 2});
        }
    }
    std::vector<Field> fields;
    for (const auto& [offset, width] : file) {
        if (const std::size_t at = headOffset(offset); at < fuzz::headSize()) {
            fields.push_back({at, width});
        }
    }
    return fields;
}

void setField(Bytes& head, std::minstd_rand& rng) {
    static const std::vector<Field> fields = makeFields();
    static const std::uint32_t values[] = {
        0,     1,     2,     5,     6,     8,     9,          10,         49,
        50,    51,    97,    98,    99,    199,   200,        201,        240,
        241,   255,   256,   2000,  2001,  4999,  5000,       5001,       9999,
        10000, 10001, 14999, 15000, 15001, 65535, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    const Field& f = fields[rng() % fields.size()];
    const std::uint32_t v =
        rng() % 4 == 0 ? static_cast<std::uint32_t>(rng()) : values[rng() % std::size(values)];
    for (int i = 0; i < f.width; ++i) {
        head[f.at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// libFuzzer's own mutations on a window of the head, which keeps its length.
void mutateWindow(Bytes& head, std::minstd_rand& rng) {
    const std::size_t at = rng() % head.size();
    const std::size_t length = std::min<std::size_t>(32, head.size() - at);
    LLVMFuzzerMutate(head.data() + at, length, length);
}

void mutatePart(Bytes& part, std::size_t limit) {
    if (part.empty()) {
        part.push_back(0);
    }
    const std::size_t size = part.size();
    part.resize(std::min(limit, std::max(size, 2 * size + 64)), 0);
    part.resize(LLVMFuzzerMutate(part.data(), std::min(size, part.size()), part.size()));
}

} // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned seed) {
    std::minstd_rand rng(seed);
    auto parts = fuzz::split({data, size});
    switch (rng() % 8) {
    case 0:
    case 1:
        setField(parts.head, rng);
        break;
    case 2:
        mutateWindow(parts.head, rng);
        break;
    case 3:
    case 4:
        mutatePart(parts.tree, 256 * 1024);
        break;
    case 5:
        mutatePart(parts.dvbs, 64 * 1024);
        break;
    case 6:
        mutatePart(parts.antenna, 40 * 1024);
        break;
    default:
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const Bytes joined = fuzz::join(parts);
    if (joined.size() > maxSize) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    std::memcpy(data, joined.data(), joined.size());
    return joined.size();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folders folders;
    const fuzz::FolderParts parts = fuzz::split({data, size});
    if (!fuzz::writeChannelFile(parts, folders.in() / channelFileName)) {
        fault("cannot write the input folder");
    }
    writeOrRemove(folders.in() / dvbsFileName, parts.dvbs);
    writeOrRemove(folders.in() / antennaFileName, parts.antenna);
    Workspace ws;
    if (!ws.openFolder(folders.in()).opened()) {
        return 0;
    }
    exerciseServices(ws);
    exerciseTheRest(ws);
    saveAndCompare(ws, folders.out());
    return 0;
}
