// Writes seed inputs for the fuzz targets from generated databases: make_seeds OUTDIR
#include "database/layout.h"
#include "folder_input.h"
#include "samplegen/sample_generator.h"

#include <filesystem>
#include <fstream>
#include <iostream>

using namespace tavrino;
namespace fs = std::filesystem;

namespace {

void writeSeed(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds OUTDIR\n";
        return 1;
    }
    const fs::path out = argv[1];
    for (const char* target : {"fuzz_channel", "fuzz_antenna", "fuzz_transponder", "fuzz_folder"}) {
        fs::create_directories(out / target);
    }
    int n = 0;
    for (const int version : {6, 9, 10}) {
        for (const int services : {1, 5, 40}) {
            const auto files = sample::generate({.services = services,
                                                 .satellites = 3,
                                                 .bouquets = 2,
                                                 .version = version,
                                                 .seed = static_cast<std::uint64_t>(n + 1)});
            const std::string name = "seed" + std::to_string(n++);
            writeSeed(
                out / "fuzz_channel" / name,
                Bytes(files.channel.begin() + layout::channel::serviceTree, files.channel.end()));
            Bytes antenna = {static_cast<std::uint8_t>(version)};
            antenna.insert(antenna.end(), files.antenna.begin(),
                           files.antenna.begin() +
                               std::min<std::ptrdiff_t>(
                                   400, static_cast<std::ptrdiff_t>(files.antenna.size())));
            writeSeed(out / "fuzz_antenna" / name, antenna);
            writeSeed(out / "fuzz_transponder" / name, files.dvbs);
            writeSeed(out / "fuzz_folder" / name, fuzz::join(fuzz::pack(files)));
        }
    }
    return 0;
}
