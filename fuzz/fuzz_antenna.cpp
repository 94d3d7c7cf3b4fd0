// First byte: the version of the channel database beside the file; the rest: antenna_list.dat.
#include "database/antenna_file.h"
#include "database/file_problem.h"

#include <cstdint>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    SatelliteImage image{Bytes(data + 1, data + size)};
    if (data[0] < 9) {
        convertAntennaLayout(image);
    }
    try {
        for (const auto& record : decodeSatelliteFile(image, "fuzz").records) {
            describeAntenna(record);
            antennaLine(record.netIndex);
        }
    } catch (const FileProblem&) {
    }
    return 0;
}
