#include "samplegen/sample_duplicates.h"

#include "database/byte_reader.h"
#include "samplegen/sample_parts.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace tavrino::sample {
namespace ch = layout::channel;
namespace sv = ch::service;
using namespace detail;

namespace {

constexpr int sidCount = 65000;

struct Service {
    std::size_t offset = 0; // of its record
    std::int32_t flag = 0;
    int block = 0;
    int transponder = 0; // counted over the whole tree
    bool satellite = false;
    std::int32_t frequency = 0;
    int sid = 0;
    int tid = 0;
    int nid = 0;
};

std::int32_t number(const Bytes& b, std::size_t at, int width) {
    return static_cast<std::int32_t>(peekNumber(b, at, width));
}

std::vector<Service> readServices(const Bytes& b) {
    std::vector<Service> services;
    std::size_t p = ch::serviceTree;
    int block = 0;
    int transponder = 0;
    do {
        const auto tpCount = static_cast<std::size_t>(number(b, p + ch::satelliteHeaderTpCount, 4));
        std::size_t q = p + ch::satelliteHeaderSize + ch::transponderPrefixSize;
        for (std::size_t t = 0; t < tpCount; ++t, ++transponder) {
            const int count = number(b, q + ch::transponderServiceCount, 2);
            const std::int32_t first = number(b, q + ch::transponderFirstLink, 4);
            const std::int32_t last = number(b, q + ch::transponderLastLink, 4);
            q += ch::transponderHeaderSize;
            for (int k = 0; k < count; ++k, q += sv::size) {
                Service s{q,
                          k == count - 1 ? last
                          : k == 0       ? first
                                         : number(b, q - sv::size + sv::link, 4),
                          block,
                          transponder,
                          number(b, q + sv::satIndex, 4) <= ch::altSystemSatIndex,
                          number(b, q + sv::frequency, 4),
                          number(b, q + sv::sid, 2),
                          number(b, q + sv::tid, 2),
                          number(b, q + sv::nid, 2)};
                services.push_back(s);
            }
            q += ch::transponderPrefixSize;
        }
        p = q - ch::transponderPrefixSize;
        ++block;
    } while (p + 201 < b.size());
    return services;
}

class Duplicator {
public:
    Duplicator(const Files& sample, const DuplicateOptions& o)
        : o_(o), rng_(o.seed), services_(readServices(sample.channel)) {
        if (services_.size() > static_cast<std::size_t>(sidCount)) {
            throw std::invalid_argument("a sample with duplicates holds at most 65,000 services");
        }
        out_.files = sample;
    }

    Duplicated run() {
        giveOwnSids();
        for (std::size_t i = 0; i < services_.size(); ++i) {
            byTransponder_[services_[i].transponder].push_back(i);
            if (services_[i].satellite) {
                order_.push_back(i);
            }
        }
        for (std::size_t i = order_.size(); i > 1; --i) {
            std::swap(order_[i - 1],
                      order_[static_cast<std::size_t>(rng_.below(static_cast<int>(i)))]);
        }
        used_.assign(services_.size(), false);
        for (int g = 0; g < o_.groups; ++g) {
            if (!(g % 2 == 0 ? sameTransponderGroup() : otherSatelliteGroup())) {
                break;
            }
        }
        write();
        return std::move(out_);
    }

private:
    void giveOwnSids() {
        std::vector<int> pool(sidCount);
        for (int i = 0; i < sidCount; ++i) {
            pool[static_cast<std::size_t>(i)] = i + 1;
        }
        std::size_t left = pool.size();
        for (Service& s : services_) {
            const auto pick = static_cast<std::size_t>(rng_.below(static_cast<int>(left)));
            s.sid = pool[pick];
            pool[pick] = pool[--left];
        }
    }

    // The next unused satellite service in the shuffled order that `fits`.
    std::optional<std::size_t> next(const std::function<bool(const Service&)>& fits) {
        for (const std::size_t i : order_) {
            if (!used_[i] && fits(services_[i])) {
                return i;
            }
        }
        return std::nullopt;
    }

    bool sameTransponderGroup() {
        const auto original = next([&](const Service& s) {
            int free = 0;
            for (const std::size_t i : byTransponder_[s.transponder]) {
                free += used_[i] ? 0 : 1;
            }
            return free >= 3;
        });
        if (!original) {
            return false;
        }
        MadeGroup group{{}, true};
        take(*original, group);
        int shift = 2;
        for (const std::size_t i : byTransponder_[services_[*original].transponder]) {
            if (!used_[i] && group.flags.size() < 3) {
                Service& copy = services_[i];
                copy.sid = services_[*original].sid;
                copy.frequency = services_[*original].frequency + shift;
                shift = -shift;
                take(i, group);
            }
        }
        out_.groups.push_back(std::move(group));
        return true;
    }

    bool otherSatelliteGroup() {
        const auto original = next([](const Service&) { return true; });
        if (!original) {
            return false;
        }
        const Service& o = services_[*original];
        const auto copy = next([&](const Service& s) {
            return s.block != o.block && std::abs(s.frequency - o.frequency) > 2;
        });
        if (!copy) {
            return false;
        }
        MadeGroup group{{}, false};
        take(*original, group);
        services_[*copy].sid = o.sid;
        services_[*copy].tid = o.tid;
        services_[*copy].nid = o.nid;
        take(*copy, group);
        out_.groups.push_back(std::move(group));
        return true;
    }

    void take(std::size_t i, MadeGroup& group) {
        used_[i] = true;
        group.flags.push_back(services_[i].flag);
    }

    // Records, reference tables and bouquet items take the new values.
    void write() {
        Bytes& b = out_.files.channel;
        std::unordered_map<std::int32_t, const Service*> byFlag;
        for (const Service& s : services_) {
            put(b, s.offset + sv::frequency, 4, s.frequency);
            put(b, s.offset + sv::sid, 2, s.sid);
            put(b, s.offset + sv::tid, 2, s.tid);
            put(b, s.offset + sv::nid, 2, s.nid);
            byFlag.emplace(s.flag, &s);
        }
        const auto follow = [&](std::size_t slot) {
            const auto it = byFlag.find(number(b, slot + ch::ref::link, 4));
            if (it != byFlag.end()) {
                put(b, slot + ch::ref::frequency, 4, it->second->frequency);
                put(b, slot + ch::ref::sid, 2, it->second->sid);
                put(b, slot + ch::ref::nid, 2, it->second->nid);
                put(b, slot + ch::ref::tid, 2, it->second->tid);
            }
        };
        for (const auto& table : ch::referenceTables) {
            const auto count = std::min<std::size_t>(
                static_cast<std::size_t>(number(b, table.count, 4)), table.capacity);
            for (std::size_t i = 0; i < count; ++i) {
                follow(table.firstSlot + ch::serviceRefSize * i);
            }
        }
        const auto bouquets = std::min<std::size_t>(
            static_cast<std::size_t>(number(b, ch::bouquetCount, 2)), ch::bouquetCapacity);
        for (std::size_t k = 0; k < bouquets; ++k) {
            const auto count = std::min<std::size_t>(
                static_cast<std::size_t>(number(b, ch::bouquetItemCounts + 2 * k, 2)),
                ch::bouquetItemCapacity);
            for (std::size_t j = 0; j < count; ++j) {
                follow(ch::bouquetItems + ch::bouquetItemTableSize * k + ch::serviceRefSize * j);
            }
        }
    }

    DuplicateOptions o_;
    Random rng_;
    std::vector<Service> services_;
    std::unordered_map<int, std::vector<std::size_t>> byTransponder_;
    std::vector<std::size_t> order_; // satellite services, shuffled
    std::vector<bool> used_;
    Duplicated out_;
};

} // namespace

Duplicated addDuplicates(const Files& sample, const DuplicateOptions& options) {
    return Duplicator(sample, options).run();
}

} // namespace tavrino::sample
