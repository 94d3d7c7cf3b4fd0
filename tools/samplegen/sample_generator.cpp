#include "samplegen/sample_generator.h"

#include "database/file_io.h"
#include "database/layout.h"
#include "samplegen/sample_parts.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrino::sample {
namespace ch = layout::channel;
namespace an = layout::antenna;
namespace dv = layout::dvbs;

namespace {
using namespace detail;

// Names are Windows-1252 bytes; several use letters beyond ASCII on purpose.
const std::vector<std::string>& satelliteNames() {
    static const std::vector<std::string> names = {"Astra 1KR/1L/1M/1N",
                                                   "Hot Bird 13\xB0"
                                                   "E",
                                                   "T\xFCrksat 3A/4A",
                                                   "Eutelsat 7\xB0 Ouest",
                                                   "Hispasat 30\xB0W",
                                                   "Thor 5/6/7",
                                                   "Astra 2E/2F/2G",
                                                   "Eutelsat 16A",
                                                   "Badr 4/5/6/7",
                                                   "Nilesat 201",
                                                   "Amazonas Nexus",
                                                   "Hellas Sat 3",
                                                   "Astra 3B",
                                                   "Express AM7",
                                                   "Intelsat 907",
                                                   "Amos 3/7",
                                                   "Eutelsat 9B",
                                                   "Yahsat 1A",
                                                   "Sirius 4",
                                                   "\xC9lite Sat"};
    return names;
}

const std::vector<std::string>& nameWords() {
    static const std::vector<std::string> words = {
        "Caf\xE9",  "\xD6sterreich", "T\xE9l\xE9", "Se\xF1or", "Z\xFCrich", "\x8Aport",
        "\x8Cuvre", "S\xE3o",        "\xC5lesund", "News",     "Sport",     "Music",
        "Kino",     "Radio",         "Info",       "Cinema",   "Docu",      "Kids",
        "Arte",     "Jazz",          "Classic",    "Nova",     "Prima",     "Alpha",
        "bbc",      "Bravo",         "Deluxe",     "Euro",     "Folk",      "Gold"};
    return words;
}

struct Transponder {
    int satellite = 0;          // DVBS index
    std::int32_t frequency = 0; // kHz
    int symbolRate = 0;         // S/s
    int polarization = 0;
    int nid = 0;
    int tid = 0;
};

struct Block {
    std::string name;
    int satIndex = 0;
    enum Kind { Satellite, Cable, Terrestrial, Ip } kind = Satellite;
    std::vector<Transponder> transponders;
    std::vector<int> serviceCounts; // per transponder
};

class Generator {
public:
    explicit Generator(const Options& o) : o_(o), rng_(o.seed) {
        if (o.services < 0 || o.satellites < 0 || o.satellites > 240 || o.bouquets < 0 ||
            o.bouquets > 50 || o.version < 0 || o.version > 255 || o.maxBouquetItems < 0 ||
            o.maxBouquetItems > 200 || o.transponders < -1 || o.transponders > 1000000) {
            throw std::invalid_argument("sample options out of range");
        }
    }

    Files run() {
        planSatellites();
        planBlocks();
        Files files;
        files.dvbs = makeDvbs();
        files.channel = makeChannel();
        files.antenna = makeAntenna();
        return files;
    }

private:
    void planSatellites() {
        const auto& names = satelliteNames();
        for (int i = 0; i < o_.satellites; ++i) {
            std::string name = names[static_cast<std::size_t>(i) % names.size()];
            if (i >= static_cast<int>(names.size())) {
                name += " #" + std::to_string(i / static_cast<int>(names.size()) + 1);
            }
            satNames_.push_back(name);
            positions_.push_back((i % 2 == 0 ? 1 : -1) * rng_.between(0, 1800));
            // Every fifth satellite has no transponders at all.
            const int count = (i % 5 == 4) ? 0 : transpondersOf(i);
            std::vector<Transponder> tps;
            for (int t = 0; t < count; ++t) {
                Transponder tp;
                tp.satellite = i;
                // The receiver's units: kHz (whole MHz here) and symbols per second.
                tp.frequency = 1000 * rng_.between(10700, 12750);
                tp.symbolRate = std::array{22000000, 27500000, 30000000,
                                           29700000}[static_cast<std::size_t>(rng_.below(4))];
                tp.polarization = rng_.below(2);
                tp.nid = rng_.between(1, 200);
                tp.tid = rng_.between(1, 65000);
                tps.push_back(tp);
            }
            dvbsTransponders_.push_back(std::move(tps));
        }
    }

    // An even share of the total among the satellites that hold transponders.
    int transpondersOf(int satellite) {
        if (o_.transponders < 0) {
            return rng_.between(3, 24);
        }
        const auto holdersBefore = [](int n) { return n - n / 5; }; // every fifth holds none
        const int holders = holdersBefore(o_.satellites);
        const int rank = holdersBefore(satellite);
        return o_.transponders / holders + (rank < o_.transponders % holders ? 1 : 0);
    }

    void planBlocks() {
        for (int i = 0; i < o_.satellites; ++i) {
            Block block{satNames_[static_cast<std::size_t>(i)], i, Block::Satellite, {}, {}};
            block.transponders = dvbsTransponders_[static_cast<std::size_t>(i)];
            blocks_.push_back(block);
        }
        blocks_.push_back(altBlock("DVB-Cable", 250, Block::Cable, 306000, 3));
        blocks_.push_back(altBlock("DVB-Terrestrial", 251, Block::Terrestrial, 474000, 3));
        blocks_.push_back(altBlock("IP_CHANNEL", 252, Block::Ip, 0, 1));

        std::vector<std::pair<std::size_t, std::size_t>> usable; // (block, transponder)
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            blocks_[b].serviceCounts.assign(blocks_[b].transponders.size(), 0);
            for (std::size_t t = 0; t < blocks_[b].transponders.size(); ++t) {
                if (t % 7 != 6) { // some transponders stay without services
                    usable.emplace_back(b, t);
                }
            }
        }
        if (usable.empty() || o_.services == 0) {
            return;
        }
        int left = o_.services;
        // One transponder with a single service, whose FLAG is its lastLink.
        blocks_[usable[0].first].serviceCounts[usable[0].second] = 1;
        --left;
        for (; left > 0; --left) {
            const std::size_t pick =
                usable.size() == 1
                    ? 0
                    : 1 + static_cast<std::size_t>(rng_.below(static_cast<int>(usable.size()) - 1));
            ++blocks_[usable[pick].first].serviceCounts[usable[pick].second];
        }
    }

    Block altBlock(const std::string& name, int satIndex, Block::Kind kind, int baseFrequency,
                   int transponders) {
        Block block{name, satIndex, kind, {}, {}};
        for (int t = 0; t < transponders; ++t) {
            Transponder tp;
            tp.frequency = kind == Block::Ip ? 0 : baseFrequency + 8000 * t;
            tp.nid = rng_.between(1, 200);
            tp.tid = rng_.between(1, 65000);
            block.transponders.push_back(tp);
        }
        return block;
    }

    Bytes makeDvbs() {
        std::size_t size = dv::headerSize;
        for (const auto& tps : dvbsTransponders_) {
            size += dv::satelliteSize + dv::transponderSize * tps.size();
        }
        Bytes b(size, 0);
        put(b, dv::satelliteCount, 2, o_.satellites);
        rng_.fill(b, 2, dv::headerSize - 2);
        std::size_t p = dv::headerSize;
        for (int i = 0; i < o_.satellites; ++i) {
            const auto& tps = dvbsTransponders_[static_cast<std::size_t>(i)];
            rng_.fill(b, p, 8);
            b[p + 8] = static_cast<std::uint8_t>(i);
            putName(b, p + dv::satelliteName, dv::satelliteNameWidth,
                    satNames_[static_cast<std::size_t>(i)]);
            put(b, p + dv::satelliteTpCount, 2, static_cast<int>(tps.size()));
            rng_.fill(b, p + 78, 30);
            put(b, p + dv::satelliteOrbitalPosition, 4, positions_[static_cast<std::size_t>(i)]);
            put(b, p + 116, 4, positions_[static_cast<std::size_t>(i)]);
            p += dv::satelliteSize;
            for (const auto& tp : tps) {
                namespace t = dv::transponder;
                std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(p), 8, 0x33);
                put(b, p + t::frequency, 4, tp.frequency);
                put(b, p + t::nid, 2, tp.nid);
                put(b, p + t::tid, 2, tp.tid);
                put(b, p + 16, 4, 2);
                put(b, p + t::symbolRate, 4, tp.symbolRate);
                b[p + t::fec] = static_cast<std::uint8_t>(rng_.below(10));
                b[p + t::polarization] = static_cast<std::uint8_t>(tp.polarization);
                b[p + t::weFlag] = static_cast<std::uint8_t>(rng_.below(2));
                b[p + t::pilot] = static_cast<std::uint8_t>(rng_.below(2));
                put(b, p + t::orbitalPosition, 4, positions_[static_cast<std::size_t>(i)]);
                b[p + t::modulationSystem] = static_cast<std::uint8_t>(rng_.below(2));
                b[p + t::modulationType] = static_cast<std::uint8_t>(rng_.between(1, 2));
                p += dv::transponderSize;
            }
        }
        return b;
    }

    std::size_t treeSize() const {
        std::size_t size = 0;
        for (const auto& block : blocks_) {
            size += ch::satelliteHeaderSize;
            for (const int count : block.serviceCounts) {
                size += ch::transponderPrefixSize + ch::transponderHeaderSize +
                        ch::service::size * static_cast<std::size_t>(count);
            }
        }
        return size;
    }

    Bytes makeChannel() {
        Bytes b(ch::serviceTree + treeSize(), 0);
        b[ch::version] = static_cast<std::uint8_t>(o_.version);
        rng_.fill(b, 1, 11);
        makeProviders(b);
        makeUninterpretedNameArea(b, ch::providerCount + 2, 300);
        makeUninterpretedNameArea(b, 239214 + 2, 300);
        rng_.fill(b, ch::bouquetCount + 2, 12);
        rng_.fill(b, ch::bouquetItemCounts + 100, ch::serviceTree - ch::bouquetItemCounts - 100);
        makeTree(b);
        makeReferences(b);
        makeBouquets(b);
        return b;
    }

    void makeProviders(Bytes& b) {
        providerCount_ = std::min(2000, 12 + o_.services / 100);
        put(b, ch::providerCount, 2, providerCount_);
        for (int i = 0; i < providerCount_; ++i) {
            const std::size_t r = ch::providers + ch::nameRecordSize * static_cast<std::size_t>(i);
            rng_.fill(b, r, 2);
            put(b, r + ch::nameRecordIndex, 2, i + 1); // key 0 stays unnamed
            std::string name = nameWords()[static_cast<std::size_t>(
                                   rng_.below(static_cast<int>(nameWords().size())))] +
                               " Media " + std::to_string(i + 1);
            put(b, r + ch::nameRecordLength, 2, static_cast<int>(name.size()));
            putName(b, r + ch::nameRecordName, ch::nameRecordNameCapacity, name);
        }
    }

    void makeUninterpretedNameArea(Bytes& b, std::size_t start, std::size_t slots) {
        const std::size_t used = static_cast<std::size_t>(rng_.below(20));
        rng_.fill(b, start, used * ch::nameRecordSize);
        put(b, start + slots * ch::nameRecordSize, 2, static_cast<int>(used));
    }

    void makeTree(Bytes& b) {
        std::size_t p = ch::serviceTree;
        std::int32_t nextId = 0x10000 + rng_.below(1000);
        for (const auto& block : blocks_) {
            rng_.fill(b, p, ch::satelliteHeaderSize);
            putName(b, p + ch::satelliteHeaderName, ch::satelliteHeaderNameWidth, block.name);
            put(b, p + ch::satelliteHeaderTpCount, 4, static_cast<int>(block.transponders.size()));
            p += ch::satelliteHeaderSize;
            for (std::size_t t = 0; t < block.transponders.size(); ++t) {
                const int count = block.serviceCounts[t];
                rng_.fill(b, p, ch::transponderPrefixSize + ch::transponderHeaderSize);
                p += ch::transponderPrefixSize;
                const std::size_t header = p;
                put(b, header + ch::transponderServiceCount, 2, count);
                p += ch::transponderHeaderSize;
                std::vector<std::int32_t> ids(static_cast<std::size_t>(count));
                for (auto& id : ids) {
                    // IP services get link values with the top bit set (shown negative).
                    id = block.kind == Block::Ip
                             ? static_cast<std::int32_t>(0x80000001u +
                                                         static_cast<std::uint32_t>(nextId++))
                             : nextId++;
                    nextId += rng_.below(3);
                }
                put(b, header + ch::transponderFirstLink, 4, count ? ids.front() : 0);
                put(b, header + ch::transponderLastLink, 4, count ? ids.back() : 0);
                for (int k = 0; k < count; ++k) {
                    // Each record's link is the value of the next one, so FLAG names every service.
                    const std::int32_t link =
                        k + 1 < count ? ids[static_cast<std::size_t>(k) + 1] : 0;
                    makeService(b, p, block, block.transponders[t],
                                ids[static_cast<std::size_t>(k)], link);
                    p += ch::service::size;
                }
            }
        }
    }

    int serviceTypeFor(const Block& block) {
        const int roll = rng_.below(100);
        switch (block.kind) {
        case Block::Cable:
            return roll < 70 ? 0x0B01 : 0x0B02;
        case Block::Terrestrial:
            return roll < 70 ? 0x0201 : 0x0202;
        case Block::Ip:
            return roll < 80 ? 0x0401 : 0x0402;
        default:
            return roll < 70 ? 0x0101 : roll < 95 ? 0x0102 : (roll < 98 ? 0x0103 : 0x010C);
        }
    }

    void makeService(Bytes& b, std::size_t p, const Block& block, const Transponder& tp,
                     std::int32_t id, std::int32_t link) {
        namespace sv = ch::service;
        rng_.fill(b, p, sv::size);
        put(b, p + sv::link, 4, link);
        const auto& words = nameWords();
        std::string name =
            words[static_cast<std::size_t>(rng_.below(static_cast<int>(words.size())))];
        if (rng_.chance(60)) {
            name +=
                " " + words[static_cast<std::size_t>(rng_.below(static_cast<int>(words.size())))];
        }
        name.append(" ").append(std::to_string(rng_.between(1, 999)));
        putName(b, p + sv::name, sv::nameCapacity, name);
        put(b, p + sv::nameLength, 2, static_cast<int>(name.size()));
        put(b, p + sv::genreId, 2, rng_.below(16));
        // Now and then a provider key beyond the table, which shows provider entry 0.
        put(b, p + sv::providerIndex, 2, rng_.chance(1) ? 3000 : rng_.between(0, providerCount_));
        put(b, p + sv::satIndex, 4, block.satIndex);
        const std::int32_t frequency =
            block.kind == Block::Ip
                ? static_cast<std::int32_t>(0x0A00A8C0u +
                                            (static_cast<std::uint32_t>(rng_.below(250)) << 24))
                : tp.frequency;
        put(b, p + sv::frequency, 4, frequency);
        const int type = serviceTypeFor(block);
        put(b, p + sv::serviceType, 2, type);
        put(b, p + sv::tid, 2, tp.tid);
        put(b, p + sv::nid, 2, tp.nid);
        const int sid = rng_.between(1, 65000);
        put(b, p + sv::sid, 2, sid);
        const int pol =
            block.kind == Block::Satellite ? tp.polarization : (rng_.chance(10) ? 2 : 0);
        put(b, p + sv::polarization, 2, pol);
        put(b, p + sv::pmtPid, 2, rng_.between(32, 8000));
        put(b, p + sv::pcrPid, 2, rng_.between(32, 8000));
        const bool radio = (type & 0xFF) == 2;
        put(b, p + sv::videoTag, 2,
            radio ? 0 : std::array{2, 27, 16}[static_cast<std::size_t>(rng_.below(3))]);
        put(b, p + sv::videoPid, 2, radio ? 65535 : rng_.between(32, 8000));
        put(b, p + sv::audioTag, 2,
            std::array{3, 4, 15, 129}[static_cast<std::size_t>(rng_.below(4))]);
        put(b, p + sv::audioPid, 2, rng_.between(32, 8000));
        put(b, p + sv::teletextPid, 2, rng_.chance(50) ? 65535 : rng_.between(32, 8000));
        int flags = 1;
        if (rng_.chance(30))
            flags |= 64;
        if (rng_.chance(5))
            flags |= 2;
        if (rng_.chance(20))
            flags |= 4;
        if (rng_.chance(1))
            flags |= 0x0180; // bits the editor must keep
        put(b, p + sv::flags, 2, flags);
        services_.push_back({id, sid, tp.nid, tp.tid, block.satIndex, frequency, pol, type});
    }

    void makeReferences(Bytes& b) { writeReferenceTables(b, services_, o_.version); }

    void putReference(Bytes& b, std::size_t s, const ServiceInfo& svc, int position,
                      bool bouquetItem) {
        detail::putReference(b, s, svc, position, bouquetItem, o_.version);
    }

    void makeBouquets(Bytes& b) {
        static const std::vector<std::string> names = {"Favoriten",
                                                       "Sport & Spa\xDF",
                                                       "Nachrichten",
                                                       "M\xFAsica",
                                                       "Kinder",
                                                       "Doku",
                                                       "Radio",
                                                       "HD",
                                                       "Filme",
                                                       "Fran\xE7"
                                                       "ais"};
        put(b, ch::bouquetCount, 2, o_.bouquets);
        for (int k = 0; k < o_.bouquets; ++k) {
            const auto bk = static_cast<std::size_t>(k);
            const std::size_t r = ch::bouquets + ch::nameRecordSize * bk;
            std::string name = names[bk % names.size()];
            if (bk >= names.size()) {
                name.append(" ").append(std::to_string(k + 1));
            }
            put(b, r + ch::nameRecordIndex, 2, k);
            put(b, r + ch::nameRecordLength, 2, static_cast<int>(name.size()));
            putName(b, r + ch::nameRecordName, ch::nameRecordNameCapacity, name);
            int count = services_.empty() ? 0 : rng_.between(0, o_.maxBouquetItems);
            if (k == 0) {
                count = services_.empty() ? 0 : std::min<int>(o_.maxBouquetItems, 200);
            }
            const std::size_t table = ch::bouquetItems + ch::bouquetItemTableSize * bk;
            for (int j = 0; j < count; ++j) {
                const auto& svc = services_[static_cast<std::size_t>(
                    rng_.below(static_cast<int>(services_.size())))];
                putReference(b, table + ch::serviceRefSize * static_cast<std::size_t>(j), svc,
                             j + 1, true);
            }
            put(b, ch::bouquetItemCounts + 2 * bk, 2, count);
        }
    }

    Bytes makeAntenna() {
        Bytes b(an::convertedSize, 0);
        put(b, an::longitude, 2, rng_.between(0, 3600));
        put(b, an::latitude, 2, rng_.between(0, 900));
        for (const std::size_t at : {16, 20, 24, 30}) {
            b[at] = 1;
        }
        put(b, an::satelliteCount, 2, o_.satellites);
        for (int i = 0; i < o_.satellites; ++i) {
            namespace r = an::record;
            const std::size_t p = an::headerSize + an::recordSize * static_cast<std::size_t>(i);
            rng_.fill(b, p, an::recordSize);
            put(b, p + r::netIndex, 2, i + 1);
            put(b, p + r::nitSearch, 2, rng_.below(2));
            b[p + r::tunerSelect] = static_cast<std::uint8_t>(rng_.below(2));
            const int lnbType = rng_.between(1, 17);
            put(b, p + r::lnbType, 2, lnbType);
            put(b, p + r::lnbFrequency, 4, lnbType == 9 ? 9750 : lnbType);
            b[p + r::lnbPower] = static_cast<std::uint8_t>(rng_.below(2));
            b[p + r::tone22k] = static_cast<std::uint8_t>(rng_.below(2));
            b[p + r::switch12v] = static_cast<std::uint8_t>(rng_.below(2));
            if (rng_.chance(20)) {
                b[p + r::diseqcPort] =
                    static_cast<std::uint8_t>(16 * rng_.below(4) + rng_.below(16));
                put(b, p + r::motorMode, 2,
                    std::array{16, 17, 32, 33}[static_cast<std::size_t>(rng_.below(4))]);
            } else {
                b[p + r::diseqcPort] = static_cast<std::uint8_t>(rng_.below(32));
                put(b, p + r::motorMode, 2, rng_.below(3));
            }
            put(b, p + r::motorPosition, 2, rng_.below(64));
        }
        if (o_.version < ch::currentLayoutVersion) {
            return toOldLayout(std::move(b));
        }
        return b;
    }

    // The layout before version 9, which the converter turns back into `current`.
    static Bytes toOldLayout(Bytes current) {
        std::fill_n(current.begin() + 32, 4, 0); // the converter inserts these as zeros
        Bytes old(current.begin(), current.begin() + 4);
        old.insert(old.end(), current.begin() + 28, current.begin() + 32);
        old.insert(old.end(), current.begin() + 36, current.end());
        return old;
    }

    Options o_;
    Random rng_;
    std::vector<std::string> satNames_;
    std::vector<std::int32_t> positions_;
    std::vector<std::vector<Transponder>> dvbsTransponders_;
    std::vector<Block> blocks_;
    std::vector<ServiceInfo> services_;
    int providerCount_ = 0;
};

} // namespace

Files generate(const Options& options) {
    return Generator(options).run();
}

void writeFolder(const Files& files, const std::filesystem::path& folder) {
    makeFolder(folder);
    writeFilesAtomically({{folder / channelFileName, files.channel},
                          {folder / antennaFileName, files.antenna},
                          {folder / dvbsFileName, files.dvbs}});
}

} // namespace tavrino::sample
