#include "database/file_problem.h"
#include "database/transponder_file.h"

#include <cstdint>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TransponderImage image{Bytes(data, data + size)};
    try {
        const auto satellites = decodeTransponderFile(image, "fuzz");
        for (std::size_t i = 0; i < satellites.size(); ++i) {
            for (const auto& tp : listTransponders(image, static_cast<int>(i))) {
                describeTransponder(tp);
            }
        }
    } catch (const FileProblem&) {
    }
    return 0;
}
