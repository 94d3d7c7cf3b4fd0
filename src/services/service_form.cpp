#include "services/service_form.h"

#include "common/number_text.h"
#include "common/utf8.h"
#include "database/layout.h"
#include "database/option_texts.h"

namespace tavrino {
namespace {
namespace cap = service_captions;

constexpr std::uint16_t noPid = 65535;
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

// The 16-bit boxes, in the dialog's order; an empty VPID or TXT box means "none".
struct NumberBox {
    const char* caption;
    std::string ServiceForm::*text;
    std::optional<std::uint16_t> ServiceChanges::*field;
    bool emptyIsNone;
};

constexpr NumberBox numberBoxes[] = {
    {cap::tid, &ServiceForm::tid, &ServiceChanges::tid, false},
    {cap::nid, &ServiceForm::nid, &ServiceChanges::nid, false},
    {cap::sid, &ServiceForm::sid, &ServiceChanges::sid, false},
    {cap::pmt, &ServiceForm::pmt, &ServiceChanges::pmtPid, false},
    {cap::pcr, &ServiceForm::pcr, &ServiceChanges::pcrPid, false},
    {cap::vpid, &ServiceForm::vpid, &ServiceChanges::videoPid, true},
    {cap::apid, &ServiceForm::apid, &ServiceChanges::audioPid, false},
    {cap::txt, &ServiceForm::txt, &ServiceChanges::teletextPid, true},
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

std::optional<FieldRefusal> planNumbers(const ServiceForm& opened, const ServiceForm& edited,
                                        ServiceChanges& changes) {
    if (edited.frequency != opened.frequency) {
        const auto value = parseWhole(edited.frequency, min32, max32);
        if (!value) {
            return refuseField(edited.frequencyCaption(), "enter a whole number of 32 bits");
        }
        changes.frequency = *value;
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
        const auto value = parseWhole(text, 0, 65535);
        if (!value) {
            const char* caption = box.text == &ServiceForm::tid ? edited.tidCaption() : box.caption;
            return refuseField(caption, "enter a whole number from 0 to 65535");
        }
        changes.*box.field = static_cast<std::uint16_t>(*value);
    }
    return std::nullopt;
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
    form.flags = static_cast<std::uint8_t>(s.flags & 0x7F);
    return form;
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
    if ((edited.flags & 0x7F) != (opened.flags & 0x7F)) {
        changes.flags = static_cast<std::uint8_t>((stored.flags & 0x80) | (edited.flags & 0x7F));
    }
    return changes;
}

} // namespace tavrino
