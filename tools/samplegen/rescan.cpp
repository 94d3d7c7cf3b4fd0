#include "database/byte_reader.h"
#include "samplegen/sample_generator.h"
#include "samplegen/sample_parts.h"

namespace tavrino::sample {
namespace ch = layout::channel;
namespace sv = ch::service;
using namespace detail;

namespace {

struct Service {
    std::int32_t flag = 0;
    Bytes record;
};

struct Transponder {
    Bytes prefix; // the 8 bytes before the header
    Bytes header;
    std::vector<Service> services;
};

struct Block {
    Bytes header;
    std::vector<Transponder> transponders;
};

Bytes slice(const Bytes& b, std::size_t at, std::size_t size) {
    return {b.begin() + static_cast<std::ptrdiff_t>(at),
            b.begin() + static_cast<std::ptrdiff_t>(at + size)};
}

std::int32_t number(const Bytes& b, std::size_t at, int width) {
    return static_cast<std::int32_t>(peekNumber(b, at, width));
}

// The service tree as the walk of the channel database reads it.
std::vector<Block> readTree(const Bytes& b) {
    std::vector<Block> blocks;
    std::size_t p = ch::serviceTree;
    do {
        Block block{slice(b, p, ch::satelliteHeaderSize), {}};
        const auto tpCount = static_cast<std::size_t>(number(b, p + ch::satelliteHeaderTpCount, 4));
        std::size_t q = p + ch::satelliteHeaderSize + ch::transponderPrefixSize;
        for (std::size_t t = 0; t < tpCount; ++t) {
            Transponder tp{slice(b, q - ch::transponderPrefixSize, ch::transponderPrefixSize),
                           slice(b, q, ch::transponderHeaderSize),
                           {}};
            const int count = number(b, q + ch::transponderServiceCount, 2);
            const std::int32_t first = number(b, q + ch::transponderFirstLink, 4);
            const std::int32_t last = number(b, q + ch::transponderLastLink, 4);
            q += ch::transponderHeaderSize;
            for (int k = 0; k < count; ++k) {
                const std::int32_t flag = k == count - 1 ? last
                                          : k == 0       ? first
                                                         : number(b, q - sv::size + sv::link, 4);
                tp.services.push_back({flag, slice(b, q, sv::size)});
                q += sv::size;
            }
            q += ch::transponderPrefixSize;
            block.transponders.push_back(std::move(tp));
        }
        p = q - ch::transponderPrefixSize;
        blocks.push_back(std::move(block));
    } while (p + 201 < b.size());
    return blocks;
}

template <typename T> void shuffle(std::vector<T>& items, Random& rng) {
    for (std::size_t i = items.size(); i > 1; --i) {
        std::swap(items[i - 1], items[static_cast<std::size_t>(rng.below(static_cast<int>(i)))]);
    }
}

class Rescanner {
public:
    Rescanner(const RescanOptions& o) : o_(o), rng_(o.seed) {}

    Rescan run(const Files& scanned) {
        Rescan out;
        out.files = scanned;
        std::vector<Block> blocks = readTree(scanned.channel);
        for (Block& block : blocks) {
            shuffle(block.transponders, rng_);
            for (Transponder& tp : block.transponders) {
                change(tp, out);
            }
        }
        nextId_ = 0x400000 + rng_.below(1000);
        Bytes& b = out.files.channel;
        b.resize(ch::serviceTree, 0);
        for (Block& block : blocks) {
            b.insert(b.end(), block.header.begin(), block.header.end());
            for (Transponder& tp : block.transponders) {
                write(b, tp, out);
            }
        }
        writeReferenceTables(b, services_, b[ch::version]);
        return out;
    }

private:
    // Services go, get new names and move in frequency; the rest change order.
    void change(Transponder& tp, Rescan& out) {
        const int moved =
            rng_.chance(o_.movedPercent) ? (rng_.chance(50) ? 1000 : -1000) : 0; // kHz
        std::vector<Service> kept;
        for (Service& s : tp.services) {
            if (rng_.chance(o_.removedPercent)) {
                out.removed.insert(s.flag);
                continue;
            }
            if (rng_.chance(o_.renamedPercent)) {
                rename(s.record);
                out.renamed.insert(s.flag);
            }
            if (number(s.record, sv::satIndex, 4) <= ch::altSystemSatIndex) {
                put(s.record, sv::frequency, 4, number(s.record, sv::frequency, 4) + moved);
            }
            kept.push_back(std::move(s));
        }
        shuffle(kept, rng_);
        tp.services = std::move(kept);
    }

    static void rename(Bytes& record) {
        const auto length = static_cast<std::size_t>(number(record, sv::nameLength, 2));
        std::string name(record.begin() + sv::name,
                         record.begin() + static_cast<std::ptrdiff_t>(sv::name + length));
        name = ("Neu " + name).substr(0, sv::nameCapacity);
        putName(record, sv::name, sv::nameCapacity, name);
        put(record, sv::nameLength, 2, static_cast<int>(name.size()));
    }

    void write(Bytes& b, Transponder& tp, Rescan& out) {
        const std::size_t count = tp.services.size();
        std::vector<std::int32_t> ids(count);
        for (auto& id : ids) {
            id = nextId_;
            nextId_ += 1 + rng_.below(3);
        }
        put(tp.header, ch::transponderServiceCount, 2, static_cast<int>(count));
        put(tp.header, ch::transponderFirstLink, 4, count ? ids.front() : 0);
        put(tp.header, ch::transponderLastLink, 4, count ? ids.back() : 0);
        b.insert(b.end(), tp.prefix.begin(), tp.prefix.end());
        b.insert(b.end(), tp.header.begin(), tp.header.end());
        for (std::size_t k = 0; k < count; ++k) {
            Bytes& r = tp.services[k].record;
            put(r, sv::link, 4, k + 1 < count ? ids[k + 1] : 0);
            out.newFlag[tp.services[k].flag] = ids[k];
            services_.push_back({ids[k], number(r, sv::sid, 2), number(r, sv::nid, 2),
                                 number(r, sv::tid, 2), number(r, sv::satIndex, 4),
                                 number(r, sv::frequency, 4), number(r, sv::polarization, 2),
                                 number(r, sv::serviceType, 2)});
            b.insert(b.end(), r.begin(), r.end());
        }
    }

    RescanOptions o_;
    Random rng_;
    std::int32_t nextId_ = 0;
    std::vector<ServiceInfo> services_;
};

} // namespace

Rescan rescan(const Files& scanned, const RescanOptions& options) {
    return Rescanner(options).run(scanned);
}

} // namespace tavrino::sample
