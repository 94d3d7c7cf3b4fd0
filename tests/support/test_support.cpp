#include "test_support.h"

#include "database/folder_lock.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace tavrino::test {

LockHeldElsewhere::LockHeldElsewhere(const std::filesystem::path& folder) {
    std::promise<bool> taken;
    auto released = release_.get_future();
    holder_ = std::thread([&folder, &taken, released = std::move(released)]() mutable {
        std::string why;
        const auto lock = FolderLock::tryAcquire(folder, why);
        taken.set_value(lock.has_value());
        released.wait();
    });
    held_ = taken.get_future().get();
}

LockHeldElsewhere::~LockHeldElsewhere() {
    release_.set_value();
    holder_.join();
}

namespace fs = std::filesystem;
namespace ch = layout::channel;

TempDir::TempDir() {
    std::string name = (fs::temp_directory_path() / "tavrino-test-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = name;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readText(const fs::path& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const fs::path& path, const std::string& text) {
    writeFile(path, Bytes(text.begin(), text.end()));
}

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

void put(Bytes& bytes, std::size_t offset, int width, std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < width; ++i) {
        bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::int64_t get(const Bytes& bytes, std::size_t offset, int width) {
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
        v |= static_cast<std::uint32_t>(bytes.at(offset + static_cast<std::size_t>(i))) << (8 * i);
    }
    return width == 4 ? static_cast<std::int32_t>(v) : static_cast<std::int64_t>(v);
}

std::set<std::string> entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

sample::Files writeSample(const fs::path& folder, sample::Options options) {
    auto files = sample::generate(options);
    sample::writeFolder(files, folder);
    return files;
}

Bytes buildChannel(const std::vector<BlockSpec>& blocks, int version) {
    Bytes b(ch::serviceTree, 0);
    b[ch::version] = static_cast<std::uint8_t>(version);
    for (const auto& block : blocks) {
        const std::size_t p = b.size();
        b.resize(p + ch::satelliteHeaderSize, 0);
        std::copy_n(block.name.begin(), std::min(block.name.size(), ch::satelliteHeaderNameWidth),
                    b.begin() + static_cast<std::ptrdiff_t>(p + ch::satelliteHeaderName));
        put(b, p + ch::satelliteHeaderTpCount, 4,
            static_cast<std::int64_t>(block.transponders.size()));
        for (const auto& tp : block.transponders) {
            const std::size_t h = b.size() + ch::transponderPrefixSize;
            b.resize(h + ch::transponderHeaderSize, 0);
            put(b, h + ch::transponderServiceCount, 2,
                static_cast<std::int64_t>(tp.services.size()));
            put(b, h + ch::transponderFirstLink, 4, tp.firstLink);
            put(b, h + ch::transponderLastLink, 4, tp.lastLink);
            for (const auto& s : tp.services) {
                namespace sv = ch::service;
                const std::size_t r = b.size();
                b.resize(r + sv::size, 0);
                std::copy(s.name.begin(), s.name.end(),
                          b.begin() + static_cast<std::ptrdiff_t>(r + sv::name));
                put(b, r + sv::link, 4, s.link);
                put(b, r + sv::nameLength, 2, static_cast<std::int64_t>(s.name.size()));
                put(b, r + sv::providerIndex, 2, s.providerIndex);
                put(b, r + sv::satIndex, 4, s.satIndex);
                put(b, r + sv::frequency, 4, s.frequency);
                put(b, r + sv::serviceType, 2, s.serviceType);
                put(b, r + sv::sid, 2, s.sid);
                put(b, r + sv::polarization, 2, s.polarization);
                put(b, r + sv::videoPid, 2, s.videoPid);
                put(b, r + sv::teletextPid, 2, s.teletextPid);
                put(b, r + sv::flags, 2, s.flags);
            }
        }
    }
    return b;
}

} // namespace tavrino::test
