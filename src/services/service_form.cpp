#include "services/service_form.h"

#include "common/number_text.h"
#include "common/utf8.h"
#include "database/layout.h"
#include "database/option_texts.h"

namespace tavrino {
namespace {
namespace cap = service_captions;

constexpr std::uint16_t noPid = 65535;
constexpr std::uint16_t flagBitsMask = 0x7F; // the seven flags; bits 128 and up are kept
constexpr int lastChoosableSatellite = 254;

int typeBaseOf(const std::string& satelliteCell) {
    if (satelliteCell == "DVB-Cable") {
        return 2816;
    }
    if (satelliteCell == "DVB-Terrestrial") {
        return 512;
    }
    if (satelliteCell.rfind("IP_CHANNEL", 0) == 0) {
        return 1024;
    }
    return 256;
}

int entryOf(TypeText type) {
    return type == TypeText::TV ? 0 : type == TypeText::Radio ? 1 : -1;
}

int entryOf(PolText pol) {
    return pol == PolText::H ? 0 : pol == PolText::V ? 1 : -1;
}

std::array<std::string, 4> bytesOf(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    std::array<std::string, 4> bytes;
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = std::to_string((v >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The 16-bit boxes, in the dialog's order; an empty VPID or TXT box means "none". PIDs take
// 13 bits.
struct NumberBox {
    const char* caption;
    std::string ServiceForm::*text;
    std::optional<std::uint16_t> ServiceChanges::*field;
    std::int64_t max;
    bool emptyIsNone;
};

constexpr std::int64_t max16 = 65535;
constexpr std::int64_t maxPid = 8191; // a PID is 13 bits of its two bytes

constexpr NumberBox numberBoxes[] = {
    {cap::tid, &ServiceForm::tid, &ServiceChanges::tid, max16, false},
    {cap::nid, &ServiceForm::nid, &ServiceChanges::nid, max16, false},
    {cap::sid, &ServiceForm::sid, &ServiceChanges::sid, max16, false},
    {cap::pmt, &ServiceForm::pmt, &ServiceChanges::pmtPid, maxPid, false},
    {cap::pcr, &ServiceForm::pcr, &ServiceChanges::pcrPid, maxPid, false},
    {cap::vpid, &ServiceForm::vpid, &ServiceChanges::videoPid, maxPid, true},
    {cap::apid, &ServiceForm::apid, &ServiceChanges::audioPid, maxPid, false},
    {cap::txt, &ServiceForm::txt, &ServiceChanges::teletextPid, maxPid, true},
};

std::optional<FieldRefusal> planName(const std::string& text, const CodePage& codePage,
                                     ServiceChanges& changes) {
    const Encoded encoded = codePage.fromUtf8(text);
    if (!encoded.ok) {
        std::string character;
        utf8::append(character, encoded.unmappable);
        return refuseField(cap::name, "the character \"" + character + "\" cannot be stored in " +
                                          codePage.name() + " names");
    }
    if (encoded.bytes.size() > layout::channel::service::nameAreaCapacity) {
        return refuseField(cap::name,
                           "the name is longer than " +
                               std::to_string(layout::channel::service::nameAreaCapacity) +
                               " characters");
    }
    changes.name = encoded.bytes;
    return std::nullopt;
}

// A frequency is positive; an IP channel's holds its address, any four bytes.
std::optional<FieldRefusal> planFrequency(const ServiceForm& edited, ServiceChanges& changes) {
    const std::int64_t min = edited.ipAddress ? min32 : 1;
    const std::int64_t max = edited.ipAddress ? max32 : maxPositive32;
    const auto value = parseWhole(edited.frequency, min, max);
    if (!value) {
        return refuseField(edited.frequencyCaption(),
                           edited.ipAddress
                               ? std::string("enter a whole number of 32 bits")
                               : "enter a whole number from 1 to " + std::to_string(maxPositive32));
    }
    changes.frequency = *value;
    return std::nullopt;
}

std::optional<FieldRefusal> planNumbers(const ServiceForm& opened, const ServiceForm& edited,
                                        ServiceChanges& changes) {
    if (edited.frequency != opened.frequency) {
        if (auto refusal = planFrequency(edited, changes)) {
            return refusal;
        }
    }
    for (const NumberBox& box : numberBoxes) {
        const std::string& text = edited.*box.text;
        if (text == opened.*box.text) {
            continue;
        }
        if (box.emptyIsNone && text.find_first_not_of(" \t") == std::string::npos) {
            changes.*box.field = noPid;
            continue;
        }
        const auto value = parseWhole(text, 0, box.max);
        if (!value) {
            const char* caption = box.text == &ServiceForm::tid ? edited.tidCaption() : box.caption;
            return refuseField(caption,
                               "enter a whole number from 0 to " + std::to_string(box.max));
        }
        changes.*box.field = static_cast<std::uint16_t>(*value);
    }
    return std::nullopt;
}

// A code of the list chooses its entry; the stored code chooses what the list showed at opening.
std::optional<FieldRefusal> setCode(int& entry, const std::vector<options::CodedEntry>& list,
                                    std::uint16_t stored, const char* caption,
                                    std::string_view text) {
    const auto code = parseWhole(text, 0, 65535);
    if (code && *code == stored) {
        entry = options::entryOfCode(list, stored).value_or(-1);
        return std::nullopt;
    }
    if (code) {
        if (const auto chosen = options::entryOfCode(list, static_cast<int>(*code))) {
            entry = *chosen;
            return std::nullopt;
        }
    }
    std::string codes;
    for (const auto& e : list) {
        codes += (codes.empty() ? "" : ", ") + std::to_string(e.code);
    }
    if (!options::entryOfCode(list, stored)) {
        codes += ", or the stored " + std::to_string(stored);
    }
    return refuseField(caption, "choose a code of the list: " + codes);
}

// A changed list must name one of its entries; returns the entry's position.
std::optional<int> chosen(int edited, std::size_t entries) {
    if (edited < 0 || static_cast<std::size_t>(edited) >= entries) {
        return std::nullopt;
    }
    return edited;
}

std::optional<FieldRefusal> planLists(const ServiceForm& opened, const ServiceForm& edited,
                                      ServiceChanges& changes) {
    const std::string noEntry = "choose an entry of the list";
    if (edited.satellite != opened.satellite && !opened.nonSatellite) {
        const auto entry = chosen(edited.satellite, lastChoosableSatellite + 1);
        if (!entry) {
            return refuseField(cap::satellite, noEntry);
        }
        changes.satIndex = static_cast<std::uint8_t>(*entry);
    }
    if (edited.type != opened.type) {
        const auto entry = chosen(edited.type, options::serviceTypes().size());
        if (!entry) {
            return refuseField(cap::type, noEntry);
        }
        changes.serviceType = static_cast<std::uint16_t>(opened.typeBase + 1 + *entry);
    }
    if (edited.polarization != opened.polarization) {
        const auto entry = chosen(edited.polarization, options::polarizations().size());
        if (!entry) {
            return refuseField(cap::polarization, noEntry);
        }
        changes.polarization = static_cast<std::uint8_t>(*entry);
    }
    if (edited.videoTag != opened.videoTag) {
        const auto entry = chosen(edited.videoTag, options::videoCodecs().size());
        if (!entry) {
            return refuseField(cap::videoTag, noEntry);
        }
        changes.videoTag = static_cast<std::uint16_t>(
            options::videoCodecs()[static_cast<std::size_t>(*entry)].code);
    }
    if (edited.audioTag != opened.audioTag) {
        const auto entry = chosen(edited.audioTag, options::audioCodecs().size());
        if (!entry) {
            return refuseField(cap::audioTag, noEntry);
        }
        changes.audioTag = static_cast<std::uint16_t>(
            options::audioCodecs()[static_cast<std::size_t>(*entry)].code);
    }
    return std::nullopt;
}

} // namespace

ServiceForm makeServiceForm(const ServiceTable& table, std::size_t row,
                            const std::vector<std::string>& satelliteTable) {
    const ServiceRow& r = table.row(row);
    const DecodedService& s = r.record;
    const std::string& cell = table.satelliteNames()[r.satelliteBlock];
    ServiceForm form;
    form.record = s.offset;
    form.name = table.serviceName(row);
    form.countryId = table.cellText(row, colCountryId);
    form.genreId = table.cellText(row, colGenreId);
    form.provider = table.cellText(row, colProvider);
    form.typeBase = typeBaseOf(cell);
    form.nonSatellite = form.typeBase != 256;
    if (form.nonSatellite) {
        form.satellites = {table.codePage().toUtf8(cell)};
        form.satellite = 0;
    } else {
        form.satellites = satelliteTable;
        form.satellite = s.satIndex <= lastChoosableSatellite ? s.satIndex : -1;
    }
    form.frequency = table.cellText(row, colFrequency);
    form.ipAddress = form.typeBase == 1024;
    if (form.ipAddress) {
        form.ipBytes = bytesOf(s.frequency);
    }
    form.type = entryOf(r.type);
    form.tid = table.cellText(row, colTid);
    form.nid = table.cellText(row, colNid);
    form.sid = table.cellText(row, colSid);
    form.polarization = entryOf(r.pol);
    form.pmt = table.cellText(row, colPmt);
    form.pcr = table.cellText(row, colPcr);
    form.videoTag = options::entryOfCode(options::videoCodecs(), s.videoTag).value_or(-1);
    form.vpid = table.cellText(row, colVpid);
    form.audioTag = options::entryOfCode(options::audioCodecs(), s.audioTag).value_or(-1);
    form.apid = table.cellText(row, colApid);
    form.txt = table.cellText(row, colTxt);
    form.flags = static_cast<std::uint8_t>(s.flags & flagBitsMask);
    form.storedVideoTag = s.videoTag;
    form.storedAudioTag = s.audioTag;
    form.storedFlags = s.flags;
    return form;
}

std::optional<FieldRefusal> setVideoTagCode(ServiceForm& form, std::string_view text) {
    return setCode(form.videoTag, options::videoCodecs(), form.storedVideoTag, cap::videoTag, text);
}

std::optional<FieldRefusal> setAudioTagCode(ServiceForm& form, std::string_view text) {
    return setCode(form.audioTag, options::audioCodecs(), form.storedAudioTag, cap::audioTag, text);
}

std::optional<FieldRefusal> setFlagWord(ServiceForm& form, std::string_view text) {
    const auto word = parseWhole(text, 0, 65535);
    if (!word) {
        return refuseField(cap::flags, "enter a whole number from 0 to 65535");
    }
    const auto above = static_cast<std::uint16_t>(*word & ~flagBitsMask);
    const auto storedAbove = static_cast<std::uint16_t>(form.storedFlags & ~flagBitsMask);
    if (above != 0 && above != storedAbove) {
        return refuseField(cap::flags, "only the seven flag bits (0 to 127) can change; bits 128 "
                                       "and up stay as stored (" +
                                           std::to_string(storedAbove) + ")");
    }
    form.flags = static_cast<std::uint8_t>(*word & flagBitsMask);
    return std::nullopt;
}

std::variant<ServiceChanges, FieldRefusal> planServiceEdit(const ServiceForm& opened,
                                                           const ServiceForm& edited,
                                                           const DecodedService& stored,
                                                           const CodePage& codePage) {
    ServiceChanges changes;
    if (edited.name != opened.name) {
        if (auto refusal = planName(edited.name, codePage, changes)) {
            return *refusal;
        }
    }
    if (auto refusal = planLists(opened, edited, changes)) {
        return *refusal;
    }
    if (auto refusal = planNumbers(opened, edited, changes)) {
        return *refusal;
    }
    if ((edited.flags & flagBitsMask) != (opened.flags & flagBitsMask)) {
        changes.flags =
            static_cast<std::uint8_t>((stored.flags & 0x80) | (edited.flags & flagBitsMask));
    }
    return changes;
}

} // namespace tavrino
