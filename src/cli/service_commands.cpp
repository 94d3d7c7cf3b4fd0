#include "cli/edit_session.h"
#include "common/excerpt.h"
#include "database/option_texts.h"
#include "workspace/service_edit.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace tavrino::cli {
namespace {

std::uint32_t serviceRow(const Session& s, const std::string& key) {
    const auto colon = key.find(':');
    if (colon == std::string::npos) {
        throw UsageError("the service is named FLAG:SID, as the services command shows them");
    }
    const int flag = parseInt(key.substr(0, colon), "FLAG", INT32_MIN, INT32_MAX);
    const int sid = parseInt(key.substr(colon + 1), "SID", 0, 65535);
    const auto row = s.ws.services().findByFlagAndSid(flag, static_cast<std::uint16_t>(sid));
    if (!row) {
        throw InputRefused(s.ws.files().channelPath + ": no service with FLAG " +
                           std::to_string(flag) + " and SID " + std::to_string(sid));
    }
    return static_cast<std::uint32_t>(*row);
}

// A satellite service chooses by number (0 to 254) or by name; the others keep theirs.
void setSatellite(ServiceForm& form, const std::string& value) {
    for (std::size_t i = 0; i < form.satellites.size(); ++i) {
        if (form.satellites[i] == value) {
            form.satellite = static_cast<int>(i);
            return;
        }
    }
    if (!form.nonSatellite && !value.empty() &&
        value.find_first_not_of("0123456789") == std::string::npos) {
        form.satellite = parseInt(value, "Satellite", 0, 254);
        return;
    }
    throw UsageError(
        form.nonSatellite
            ? "Satellite: a " + form.satellites.front() + " service keeps its satellite"
            : "Satellite: no satellite named '" + excerpt(value) + "' among numbers 0 to 254");
}

// A value outside what the field can hold comes back as a refusal naming it.
std::optional<FieldRefusal> setField(ServiceForm& form, const std::string& field,
                                     const std::string& value) {
    using namespace options;
    std::string ServiceForm::*text = nullptr;
    if (field == "Service") {
        text = &ServiceForm::name;
    } else if (field == "Frequency") {
        text = &ServiceForm::frequency;
    } else if (field == "TID") {
        text = &ServiceForm::tid;
    } else if (field == "NID") {
        text = &ServiceForm::nid;
    } else if (field == "SID") {
        text = &ServiceForm::sid;
    } else if (field == "PMT") {
        text = &ServiceForm::pmt;
    } else if (field == "PCR") {
        text = &ServiceForm::pcr;
    } else if (field == "VPID") {
        text = &ServiceForm::vpid;
    } else if (field == "APID") {
        text = &ServiceForm::apid;
    } else if (field == "TXT") {
        text = &ServiceForm::txt;
    }
    if (text) {
        form.*text = value;
    } else if (field == "Satellite") {
        setSatellite(form, value);
    } else if (field == "Type") {
        form.type = parseEntry(serviceTypes(), value, field);
    } else if (field == "Pol") {
        form.polarization = parseEntry(polarizations(), value, field);
    } else if (field == "video_tag") {
        return setVideoTagCode(form, value);
    } else if (field == "audio_tag") {
        return setAudioTagCode(form, value);
    } else if (field == "HDFlag") {
        return setFlagWord(form, value);
    } else {
        throw UsageError("FIELD must be one of Service, Satellite, Frequency, Type, TID, NID, "
                         "SID, Pol, PMT, PCR, video_tag, VPID, audio_tag, APID, TXT, HDFlag");
    }
    return std::nullopt;
}

void serviceEdit(const Arguments& args, Context& ctx) {
    Session s(ctx);
    openForEdit(s, args);
    const std::uint32_t row = serviceRow(s, args.positional(1, "FLAG:SID"));
    if (args.positional().size() < 3) {
        throw UsageError("missing FIELD=VALUE");
    }
    const ServiceForm opened = openServiceForm(s.ws, row);
    ServiceForm edited = opened;
    for (std::size_t i = 2; i < args.positional().size(); ++i) {
        const std::string& pair = args.positional()[i];
        const auto eq = pair.find('=');
        if (eq == std::string::npos) {
            throw UsageError("expected FIELD=VALUE, not '" + excerpt(pair) + "'");
        }
        if (const auto refusal = setField(edited, pair.substr(0, eq), pair.substr(eq + 1))) {
            refuse(s, refusal->notice);
        }
    }
    const ServiceEditResult result = editService(s.ws, opened, edited);
    if (result.refusal) {
        refuse(s, result.refusal->notice);
    }
    finish(s, result.written, args, ctx);
}

// The one flag option given: --lock, --unlock, --hd or --no-hd.
FlagCommand flagCommandOf(const Arguments& args) {
    const std::pair<const char*, FlagCommand> options[] = {{"lock", FlagCommand::Lock},
                                                           {"unlock", FlagCommand::Unlock},
                                                           {"hd", FlagCommand::InsertHd},
                                                           {"no-hd", FlagCommand::RemoveHd}};
    std::optional<FlagCommand> chosen;
    for (const auto& [name, command] : options) {
        if (args.has(name)) {
            if (chosen) {
                throw UsageError("give one of --lock, --unlock, --hd and --no-hd, not two");
            }
            chosen = command;
        }
    }
    if (!chosen) {
        throw UsageError("give one of --lock, --unlock, --hd and --no-hd");
    }
    return *chosen;
}

void serviceFlags(const Arguments& args, Context& ctx) {
    const FlagCommand command = flagCommandOf(args);
    editFolder(args, ctx, 2, [&](Session& s) {
        std::vector<std::uint32_t> rows;
        const std::string& list = args.positional(1, "FLAG:SID,...");
        for (std::size_t at = 0; at <= list.size();) {
            const std::size_t comma = std::min(list.find(',', at), list.size());
            const std::uint32_t row = serviceRow(s, list.substr(at, comma - at));
            if (std::find(rows.begin(), rows.end(), row) == rows.end()) {
                rows.push_back(row);
            }
            at = comma + 1;
        }
        return s.doc.changeFlags(rows, command);
    });
}

} // namespace

std::vector<Command> serviceCommands() {
    return {
        {"service-edit",
         "DIR FLAG:SID FIELD=VALUE...",
         "Edits the service named by FLAG and SID as the service dialog does: only the fields\n"
         "given change. FIELD is a header of the services command: Service, Satellite (name or\n"
         "number 0 to 254), Frequency (from 1; an IP channel's address any 32 bits), Type (TV\n"
         "or Radio), TID, NID, SID, Pol (H or V), PMT, PCR, VPID, APID, TXT (PIDs 0 to 8191;\n"
         "VPID and TXT empty: none), video_tag and audio_tag (a code of the dialog's lists, or\n"
         "the stored code, which stays), HDFlag (the seven flag bits; bits 128 and up stay, so\n"
         "a value gives none of them or those stored, as services prints it). Bouquet items\n"
         "that name the service follow a new SID.",
         {},
         withSaveFlags(),
         serviceEdit},
        {"service-flags",
         "DIR (--lock|--unlock|--hd|--no-hd) FLAG:SID,...",
         "LOCK, UnLOCK, Insert HD Flag or Remove HD Flag over the services named by FLAG and\n"
         "SID (commas between them), as the service list's menu does: one bit of each changes,\n"
         "the others stay.",
         {},
         withSaveFlags({"lock", "unlock", "hd", "no-hd"}),
         serviceFlags},
    };
}

} // namespace tavrino::cli
