// Writes seed inputs for the fuzz targets from generated databases: make_seeds OUTDIR
#include "database/layout.h"
#include "folder_input.h"
#include "samplegen/sample_generator.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace tavrino;
namespace fs = std::filesystem;

namespace {

// Small lists in both import formats; the first byte chooses the reader (even: XML).
const char* const importSeeds[] = {
    "\x00<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n"
    "\t<sat name=\"19.2E Astra &amp; Co\" flags=\"1\" position=\"192\">\n"
    "\t\t<transponder frequency=\"11778000\" symbol_rate=\"27500000\" polarization=\"1\" "
    "fec_inner=\"3\" system=\"0\" modulation=\"1\" />\n"
    "\t</sat>\n\t<sat name=\"Empty\" flags=\"0\" position=\"-50\"/>\n</satellites>\n",
    "\x00<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<satellites><!-- c -->\r\n"
    "<sat flags=\"1\" name=\"T\xFCrksat\" position=\"420\"><transponder fec_inner=\"2\" "
    "frequency=\"11459500\" onid=\"1150\" tsid=\"30700\"/></sat></satellites>",
    "\x01;comment\r\n[SATTYPE]\r\n1=0192\r\n2=Astra 1KR\r\n\r\n[DVB]\r\n0=4\r\n"
    "1=10714,H,22000,56,DVB-S\r\n2=10962.5,V,27500,34,S2,8PSK\r\n3=3716,L,4775,35,S2;8PSK\r\n"
    "4=12224,R,20000,67;DSS,QPSK",
    "\x01[sattype]\n1=3550\n2=Es?hail\n[dvb]\n0=3\n3=10953,V,2400\n1=11000,H,27500\n",
};

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
    for (const char* target :
         {"fuzz_channel", "fuzz_antenna", "fuzz_transponder", "fuzz_folder", "fuzz_import"}) {
        fs::create_directories(out / target);
    }
    for (std::size_t i = 0; i < std::size(importSeeds); ++i) {
        const std::string seed(importSeeds[i], std::strlen(importSeeds[i] + 1) + 1);
        writeSeed(out / "fuzz_import" / ("seed" + std::to_string(i)),
                  Bytes(seed.begin(), seed.end()));
    }
    int n = 0;
    for (const int version : {6, 9, 10}) {
        for (const int services : {1, 5, 40}) {
            // Small folders: every run of the folder target reads and saves all of a seed.
            const auto files = sample::generate({.services = services,
                                                 .satellites = 3,
                                                 .bouquets = 2,
                                                 .version = version,
                                                 .seed = static_cast<std::uint64_t>(n + 1),
                                                 .transponders = 6});
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
