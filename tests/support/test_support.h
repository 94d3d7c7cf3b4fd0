#pragma once

#include "database/byte_image.h"
#include "database/file_problem.h"
#include "database/layout.h"
#include "samplegen/sample_generator.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <set>
#include <string>
#include <thread>
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

// Holds a folder's lock from another thread, which the lock treats as another process would
// be, until the object goes away.
class LockHeldElsewhere {
public:
    explicit LockHeldElsewhere(const std::filesystem::path& folder);
    ~LockHeldElsewhere();
    LockHeldElsewhere(const LockHeldElsewhere&) = delete;
    LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;
    bool held() const { return held_; }

private:
    std::promise<void> release_;
    std::thread holder_;
    bool held_ = false;
};

Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);
std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);
// The permission bits of a file (not of a link's target).
unsigned modeOf(const std::filesystem::path& path);

// The FileProblem `run` throws, or none.
template <class Run> std::optional<FileProblem> problemOf(Run&& run) {
    try {
        run();
    } catch (const FileProblem& problem) {
        return problem;
    }
    return std::nullopt;
}
void put(Bytes& bytes, std::size_t offset, int width, std::int64_t value);
std::int64_t get(const Bytes& bytes, std::size_t offset, int width);

// Names in a folder, hidden ones included.
std::set<std::string> entries(const std::filesystem::path& folder);

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
    std::int32_t frequency = 11778000; // kHz
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
