#pragma once

#include "database/antenna_file.h"
#include "database/byte_image.h"
#include "database/channel_file.h"
#include "database/file_io.h"
#include "database/transponder_file.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

// antenna_list.dat and DVBS.dat, which always travel together.
struct SatelliteFiles {
    SatelliteImage antenna;
    TransponderImage dvbs;
    std::string antennaPath;
    std::string dvbsPath;
    std::vector<DvbsSatellite> satellites;
    AntennaSettings antennaSettings;
};

// The three receiver files as byte images, with the tables decoded from their headers.
struct ReceiverFiles {
    ChannelImage channel;
    std::string channelPath;
    int channelFileVersion = 0; // version byte as read, before any conversion
    int targetVersion = 9;      // written into byte 0 on every save; only grows
    SatelliteFiles satelliteFiles;
    std::shared_ptr<const ProviderTable> providers; // shared with the service table
    BouquetTable bouquets;
};

inline constexpr int initialTargetVersion = 9;

// The most the receiver file of this name can hold (all_channel.dat, DVBS.dat,
// antenna_list.dat).
SizeLimit receiverFileLimit(const std::string& fileName);

// "Open Files": DVBS.dat first, then all_channel.dat with its version check, then
// antenna_list.dat (converted for channel files older than version 9), then the tables.
// A satellite file absent from the folder keeps its image from `current`.
// Returns nullopt when the folder holds no all_channel.dat; throws FileProblem on refusal.
// `current` is never changed, so a refusal leaves the caller's state whole.
std::optional<ReceiverFiles> openFiles(const ReceiverFiles& current,
                                       const std::filesystem::path& folder);

// The files staged in `folder` by a receive: DVBS.dat and all_channel.dat must be present;
// without antenna_list.dat the antenna image is left empty.
ReceiverFiles openStagedFiles(const ReceiverFiles& current, const std::filesystem::path& folder);

// antenna_list.dat and DVBS.dat chosen one by one. Returns nullopt when a name does not end
// in the expected file name. The channel database of `current` decides the conversion; with
// none loaded the antenna file is taken as it is.
std::optional<SatelliteFiles> loadSatelliteFiles(const ReceiverFiles& current,
                                                 const std::filesystem::path& antennaPath,
                                                 const std::filesystem::path& dvbsPath);

struct SavedFiles {
    std::vector<std::filesystem::path> written;
    std::optional<std::string> note; // a save cut short earlier was finished or undone first
};

// What "Save Files" would write into `folder`, TargetVersion already in byte 0.
std::vector<FileToWrite> filesToSave(ReceiverFiles& files, const std::filesystem::path& folder);

// "Save Files": puts TargetVersion into byte 0, then writes all_channel.dat, DVBS.dat and
// antenna_list.dat into folder, all or nothing. Images never loaded are not written.
// Lists the files written (none when no channel database is loaded). Throws FileProblem.
SavedFiles saveFiles(ReceiverFiles& files, const std::filesystem::path& folder);

// What "Save : antenna_list.dat  &&  DVBS.dat" would write into `folder`: DVBS.dat and
// antenna_list.dat, without touching the version byte.
std::vector<FileToWrite> satelliteFilesToSave(const ReceiverFiles& files,
                                              const std::filesystem::path& folder);

} // namespace tavrino
