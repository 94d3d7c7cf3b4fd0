#include "database/receiver_files.h"

#include "database/file_io.h"
#include "database/file_problem.h"
#include "database/layout.h"

namespace tavrino {
namespace fs = std::filesystem;
namespace ch = layout::channel;

namespace {

enum class Presence { Optional, Required };

constexpr SizeLimit channelLimit{ch::maxFileSize, ch::maxFileSizeText};
constexpr SizeLimit antennaLimit{layout::antenna::maxFileSize, layout::antenna::maxFileSizeText};
constexpr SizeLimit dvbsLimit{layout::dvbs::maxFileSize, layout::dvbs::maxFileSizeText};

// nullopt when absent (and optional); throws for a missing required file or an empty one.
std::optional<Bytes> loadImage(const fs::path& path, Presence presence, SizeLimit limit) {
    auto bytes = readWholeFile(path, limit);
    if (!bytes) {
        if (presence == Presence::Required) {
            throw FileProblem(FileProblem::Kind::Missing, path.string(), "missing");
        }
        return std::nullopt;
    }
    if (bytes->empty()) {
        throw FileProblem(FileProblem::Kind::EmptyFile, path.string(), "empty file");
    }
    return bytes;
}

void takeDvbs(SatelliteFiles& sat, Bytes bytes, const fs::path& path) {
    sat.dvbs.bytes = std::move(bytes);
    sat.dvbsPath = path.string();
    sat.satellites = decodeTransponderFile(sat.dvbs, sat.dvbsPath);
}

void takeAntenna(SatelliteFiles& sat, Bytes bytes, const fs::path& path, bool convert) {
    sat.antenna.bytes = std::move(bytes);
    sat.antennaPath = path.string();
    if (convert) {
        convertAntennaLayout(sat.antenna);
    }
    sat.antennaSettings = decodeSatelliteFile(sat.antenna, sat.antennaPath);
}

bool needsConversion(const ChannelImage& channel) {
    return channel.loaded() && channelVersion(channel) < ch::currentLayoutVersion;
}

// Takes the channel database, refusing one that is too short or older than version 6.
void takeChannel(ReceiverFiles& next, Bytes bytes, const fs::path& path) {
    next.channel.bytes = std::move(bytes);
    next.channelPath = path.string();
    checkChannelFile(next.channel, next.channelPath);
    next.channelFileVersion = channelVersion(next.channel);
}

// Converts a file older than version 9 and decodes the header tables.
void finishChannel(ReceiverFiles& next) {
    if (needsConversion(next.channel)) {
        // Converted whether or not an antenna file came along, so a later save never writes
        // a current version byte over references in the old marking.
        next.channel.bytes[ch::version] = static_cast<std::uint8_t>(next.targetVersion);
        remarkReferences(next.channel, next.channelPath);
    } else if (next.channelFileVersion > next.targetVersion) {
        next.targetVersion = next.channelFileVersion;
    }
    next.providers =
        std::make_shared<const ProviderTable>(decodeProviders(next.channel, next.channelPath));
    next.bouquets = decodeBouquets(next.channel, next.channelPath);
}

ReceiverFiles startFrom(const ReceiverFiles& current) {
    ReceiverFiles next;
    next.targetVersion = current.targetVersion;
    return next;
}

// A satellite file the folder lacks stays as it was; only then is it copied.
void keepMissingSatelliteFiles(SatelliteFiles& next, const SatelliteFiles& current) {
    if (!next.dvbs.loaded() && next.dvbsPath.empty()) {
        next.dvbs = current.dvbs;
        next.dvbsPath = current.dvbsPath;
        next.satellites = current.satellites;
    }
    if (!next.antenna.loaded() && next.antennaPath.empty()) {
        next.antenna = current.antenna;
        next.antennaPath = current.antennaPath;
        next.antennaSettings = current.antennaSettings;
    }
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void addSatelliteWrites(std::vector<FileToWrite>& writes, const SatelliteFiles& sat,
                        const fs::path& folder) {
    if (sat.dvbs.loaded()) {
        writes.push_back({folder / dvbsFileName, sat.dvbs.bytes});
    }
    if (sat.antenna.loaded()) {
        writes.push_back({folder / antennaFileName, sat.antenna.bytes});
    }
}

SavedFiles writeAll(const std::vector<FileToWrite>& writes) {
    SavedFiles saved;
    if (writes.empty()) {
        return saved;
    }
    saved.note = writeFilesAtomically(writes);
    for (const auto& w : writes) {
        saved.written.push_back(w.path);
    }
    return saved;
}

} // namespace

SizeLimit receiverFileLimit(const std::string& fileName) {
    if (fileName == dvbsFileName) {
        return dvbsLimit;
    }
    return fileName == antennaFileName ? antennaLimit : channelLimit;
}

std::optional<ReceiverFiles> openFiles(const ReceiverFiles& current, const fs::path& folder) {
    const fs::path channelPath = folder / channelFileName;
    if (!fileExists(channelPath)) {
        return std::nullopt;
    }
    ReceiverFiles next = startFrom(current);
    if (auto dvbs = loadImage(folder / dvbsFileName, Presence::Optional, dvbsLimit)) {
        takeDvbs(next.satelliteFiles, std::move(*dvbs), folder / dvbsFileName);
    }
    auto channel = loadImage(channelPath, Presence::Optional, channelLimit);
    if (!channel) {
        return std::nullopt; // vanished since the check
    }
    takeChannel(next, std::move(*channel), channelPath);
    if (auto antenna = loadImage(folder / antennaFileName, Presence::Optional, antennaLimit)) {
        takeAntenna(next.satelliteFiles, std::move(*antenna), folder / antennaFileName,
                    needsConversion(next.channel));
    }
    finishChannel(next);
    keepMissingSatelliteFiles(next.satelliteFiles, current.satelliteFiles);
    return next;
}

ReceiverFiles openStagedFiles(const ReceiverFiles& current, const fs::path& folder) {
    ReceiverFiles next = startFrom(current);
    takeDvbs(next.satelliteFiles, *loadImage(folder / dvbsFileName, Presence::Required, dvbsLimit),
             folder / dvbsFileName);
    takeChannel(next, *loadImage(folder / channelFileName, Presence::Required, channelLimit),
                folder / channelFileName);
    if (auto antenna = loadImage(folder / antennaFileName, Presence::Optional, antennaLimit)) {
        takeAntenna(next.satelliteFiles, std::move(*antenna), folder / antennaFileName,
                    needsConversion(next.channel));
    }
    // An antenna file of an earlier open belongs to another receiver's lists, so nothing of
    // the current files is kept.
    finishChannel(next);
    return next;
}

std::optional<SatelliteFiles> loadSatelliteFiles(const ReceiverFiles& current,
                                                 const fs::path& antennaPath,
                                                 const fs::path& dvbsPath) {
    if (!endsWith(antennaPath.string(), antennaFileName) ||
        !endsWith(dvbsPath.string(), dvbsFileName)) {
        return std::nullopt;
    }
    SatelliteFiles next = current.satelliteFiles;
    takeAntenna(next, *loadImage(antennaPath, Presence::Required, antennaLimit), antennaPath,
                needsConversion(current.channel));
    takeDvbs(next, *loadImage(dvbsPath, Presence::Required, dvbsLimit), dvbsPath);
    return next;
}

std::vector<FileToWrite> filesToSave(ReceiverFiles& files, const fs::path& folder) {
    if (!files.channel.loaded()) {
        return {};
    }
    files.channel.bytes[ch::version] = static_cast<std::uint8_t>(files.targetVersion);
    std::vector<FileToWrite> writes = {{folder / channelFileName, files.channel.bytes}};
    addSatelliteWrites(writes, files.satelliteFiles, folder);
    return writes;
}

SavedFiles saveFiles(ReceiverFiles& files, const fs::path& folder) {
    return writeAll(filesToSave(files, folder));
}

std::vector<FileToWrite> satelliteFilesToSave(const ReceiverFiles& files, const fs::path& folder) {
    std::vector<FileToWrite> writes;
    addSatelliteWrites(writes, files.satelliteFiles, folder);
    return writes;
}

} // namespace tavrino
