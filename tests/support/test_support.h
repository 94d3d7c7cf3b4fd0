#pragma once

#include "database/byte_image.h"
#include "database/layout.h"
#include "samplegen/sample_generator.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavrino::test {

// A fresh folder under the system temp folder, removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);
void put(Bytes& bytes, std::size_t offset, int width, std::int64_t value);
std::int64_t get(const Bytes& bytes, std::size_t offset, int width);

// Generates a sample and writes it into `folder`; returns the files.
sample::Files writeSample(const std::filesystem::path& folder, sample::Options options = {});

// Builds small channel databases service by service, for exact checks of decoding rules.
struct ServiceSpec {
    std::string name = "Service";
    std::int32_t link = 0;
    int serviceType = 0x0101;
    int polarization = 0;
    int satIndex = 0;
    int providerIndex = 0;
    int sid = 1;
    int videoPid = 100;
    int teletextPid = 65535;
    int flags = 1;
    std::int32_t frequency = 11778;
};

struct TransponderSpec {
    std::int32_t firstLink = 0;
    std::int32_t lastLink = 0;
    std::vector<ServiceSpec> services;
};

struct BlockSpec {
    std::string name = "Sat";
    std::vector<TransponderSpec> transponders;
};

Bytes buildChannel(const std::vector<BlockSpec>& blocks, int version = 10);

// Offset of the first service record in a database built by buildChannel whose first block
// has at least one transponder.
inline constexpr std::size_t firstServiceOffset =
    layout::channel::serviceTree + layout::channel::satelliteHeaderSize +
    layout::channel::transponderPrefixSize + layout::channel::transponderHeaderSize;

} // namespace tavrino::test
