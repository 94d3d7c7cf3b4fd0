#pragma once

#include "common/code_page.h"
#include "common/notice.h"
#include "database/edit_history.h"
#include "services/service_table.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrino {

// Captions of the service edit dialog; refusals name the box by its caption.
namespace service_captions {
inline constexpr const char* name = "Service";
inline constexpr const char* countryId = "country_id";
inline constexpr const char* genreId = "genre_id";
inline constexpr const char* provider = "Provider";
inline constexpr const char* satellite = "Satelitte :";
inline constexpr const char* frequency = "Freqfency :";
inline constexpr const char* ipAddress = "IP Adress :";
inline constexpr const char* type = "type";
inline constexpr const char* tid = "TID";
inline constexpr const char* port = "PORT";
inline constexpr const char* nid = "NID";
inline constexpr const char* sid = "SID";
inline constexpr const char* polarization = "Polariz";
inline constexpr const char* pmt = "pmt_pid";
inline constexpr const char* pcr = "pcr_pid";
inline constexpr const char* videoTag = "video_tag";
inline constexpr const char* vpid = "video_pid";
inline constexpr const char* audioTag = "audio_tag";
inline constexpr const char* apid = "audio_pid";
inline constexpr const char* txt = "TXT.PID";
inline constexpr const char* flags = "HD Flag";
} // namespace service_captions

// The service edit dialog's fields as it shows them: texts for the boxes (UTF-8), positions
// for the lists. A position of -1 means the list has no entry for the stored value; such a
// list, like every box the user leaves alone, keeps the stored bytes.
struct ServiceForm {
    std::uint32_t record = 0; // file offset of the record ("Lokacija"), not a view position
    EditMark opened;          // where the edits stood when the dialog opened

    std::string name;
    std::string countryId; // shown only
    std::string genreId;   // shown only
    std::string provider;  // shown only
    std::vector<std::string> satellites;
    int satellite = -1;
    bool nonSatellite = false; // cable, terrestrial or IP: the list holds only its own name
    int typeBase = 256;        // 256, 2816 (cable), 512 (terrestrial), 1024 (IP)
    std::string frequency;
    bool ipAddress = false; // the frequency is shown as four byte boxes, lowest byte first
    std::array<std::string, 4> ipBytes;
    int type = -1; // options::serviceTypes()
    std::string tid;
    std::string nid;
    std::string sid;
    int polarization = -1; // options::polarizations()
    std::string pmt;
    std::string pcr;
    int videoTag = -1; // options::videoCodecs()
    std::string vpid;  // empty: none (stored as 65535)
    int audioTag = -1; // options::audioCodecs()
    std::string apid;
    std::string txt;        // empty: none (stored as 65535)
    std::uint8_t flags = 0; // the seven bits of the flag boxes; "SD" is ticked when 64 is not
    // As stored, which is how the service table prints them.
    std::uint16_t storedVideoTag = 0;
    std::uint16_t storedAudioTag = 0;
    std::uint16_t storedFlags = 0;

    const char* frequencyCaption() const {
        return ipAddress ? service_captions::ipAddress : service_captions::frequency;
    }
    const char* tidCaption() const {
        return ipAddress ? service_captions::port : service_captions::tid;
    }
    bool sd() const { return (flags & flagHd) == 0; }
};

// The form for one row of the service table. `satelliteTable` holds the satellite-table names
// of satellite numbers 0 to 254 (UTF-8), the entries a satellite service may choose from.
ServiceForm makeServiceForm(const ServiceTable& table, std::size_t row,
                            const std::vector<std::string>& satelliteTable);

// Values typed as the service table prints them (the command line). A codec code chooses its
// list entry, and the stored code, though no entry has it, leaves the list as it is. A flag word
// sets the seven flag bits; its bits 128 and up must be none or those stored, and stay as
// stored either way. Anything else is refused, naming the field.
std::optional<FieldRefusal> setVideoTagCode(ServiceForm& form, std::string_view text);
std::optional<FieldRefusal> setAudioTagCode(ServiceForm& form, std::string_view text);
std::optional<FieldRefusal> setFlagWord(ServiceForm& form, std::string_view text);

// What "OK" writes into the record: only the fields whose box or list changed.
struct ServiceChanges {
    std::optional<std::string> name; // code-page bytes
    std::optional<std::uint8_t> satIndex;
    std::optional<std::int64_t> frequency;
    std::optional<std::uint16_t> serviceType;
    std::optional<std::uint16_t> tid;
    std::optional<std::uint16_t> nid;
    std::optional<std::uint16_t> sid;
    std::optional<std::uint8_t> polarization;
    std::optional<std::uint16_t> pmtPid;
    std::optional<std::uint16_t> pcrPid;
    std::optional<std::uint16_t> videoTag;
    std::optional<std::uint16_t> videoPid;
    std::optional<std::uint16_t> audioTag;
    std::optional<std::uint16_t> audioPid;
    std::optional<std::uint16_t> teletextPid;
    std::optional<std::uint8_t> flags; // the whole low byte, bit 128 as stored

    bool operator==(const ServiceChanges&) const = default;
};

// Compares the form as edited with the form as opened and checks every changed value; the
// first value that cannot be stored refuses the whole edit.
std::variant<ServiceChanges, FieldRefusal> planServiceEdit(const ServiceForm& opened,
                                                           const ServiceForm& edited,
                                                           const DecodedService& stored,
                                                           const CodePage& codePage);

} // namespace tavrino
