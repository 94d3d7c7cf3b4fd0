#include "satellites/antenna_form.h"

#include "database/layout.h"
#include "database/option_texts.h"

#include <optional>

namespace tavrino {
namespace {
namespace cap = antenna_captions;
namespace rec = layout::antenna::record;

int positionIn(const std::vector<std::string>& list, int value) {
    return value >= 0 && static_cast<std::size_t>(value) < list.size() ? value : -1;
}

constexpr int commitUncommit = 16; // added to the motor mode in combination mode
constexpr int uncommitCommit = 32;

// In combination mode the port holds both switches and the motor mode the order as well.
void planDiseqc(FormPlanner<AntennaForm>& p, bool wasCombination) {
    using F = AntennaForm;
    using namespace options;
    const AntennaForm& edited = p.edited();
    const bool combination = edited.diseqc == combinationEntry;
    const bool switches = p.changed(&F::committed) || p.changed(&F::uncommitted);
    if (p.changed(&F::diseqc) || (combination && switches)) {
        if (!combination) {
            if (const auto d = p.entry(cap::diseqc, &F::diseqc, combinationEntry)) {
                p.add(rec::diseqcPort, 1, *d);
            }
        } else {
            const auto c = p.entry(cap::committed, &F::committed, committedSwitches().size());
            const auto u = p.entry(cap::uncommitted, &F::uncommitted, uncommittedSwitches().size());
            if (c && u) {
                p.add(rec::diseqcPort, 1, 16 * *c + *u);
            }
        }
    }
    if (p.changed(&F::motor) || combination != wasCombination ||
        (combination && p.changed(&F::order))) {
        const auto m = p.entry(cap::motor, &F::motor, motorModes().size());
        std::optional<int> o = 0;
        if (combination) {
            o = p.entry(cap::order, &F::order, combinationOrders().size());
        }
        if (m && o) {
            const int mode = combination ? (*o == 0 ? commitUncommit : uncommitCommit) : 0;
            p.add(rec::motorMode, 2, *m + mode);
        }
    }
}

// The writes of one antenna record; with no opened form every field is new.
RecordPlan planAntenna(const AntennaForm* opened, const AntennaForm& edited) {
    using F = AntennaForm;
    using namespace options;
    FormPlanner<AntennaForm> p(opened, edited);
    if (p.isNew()) {
        p.number(cap::netIndex, &F::netIndex, rec::netIndex, 2, 0, 65535);
    }
    p.list(cap::nitSearch, &F::nitSearch, offOn().size(), rec::nitSearch, 2);
    p.number(cap::tunerSelect, &F::tunerSelect, rec::tunerSelect, 1, 0, 255);
    p.list(cap::lnbType, &F::lnbType, lnbTypes().size(), rec::lnbType, 2, 1);
    // The frequency box counts only for "USER DEF."; any other type stores its own number.
    const bool userDefined = edited.lnbType == userDefinedLnb;
    if (p.changed(&F::lnbType) || (userDefined && p.changed(&F::lnbFrequency))) {
        if (!userDefined) {
            if (edited.lnbType >= 0) {
                p.add(rec::lnbFrequency, 4, edited.lnbType + 1);
            }
        } else if (const auto value =
                       p.parsed(cap::lnbFrequency, edited.lnbFrequency, min32, max32)) {
            p.add(rec::lnbFrequency, 4, *value);
        }
    }
    p.list(cap::power, &F::power, offOn().size(), rec::lnbPower, 1);
    p.list(cap::tone22k, &F::tone22k, offOn().size(), rec::tone22k, 1);
    p.list(cap::switch12v, &F::switch12v, switch12v().size(), rec::switch12v, 1);
    planDiseqc(p, opened && opened->diseqc == combinationEntry);
    p.number(cap::motorPosition, &F::motorPosition, rec::motorPosition, 2, 0, 65535);
    return p.result();
}

} // namespace

AntennaForm antennaForm(const AntennaRecord& a) {
    using namespace options;
    AntennaForm f;
    f.netIndex = std::to_string(a.netIndex);
    f.nitSearch = positionIn(offOn(), a.nitSearch);
    f.tunerSelect = std::to_string(a.tunerSelect);
    f.lnbType = positionIn(lnbTypes(), a.lnbType - 1);
    f.lnbFrequency = std::to_string(a.lnbFrequency);
    f.power = positionIn(offOn(), a.lnbPower);
    f.tone22k = positionIn(offOn(), a.tone22k);
    f.switch12v = positionIn(switch12v(), a.switch12v);
    f.motorPosition = std::to_string(a.motorPosition);
    // The switch lists always show the port's two halves, so choosing "Combination" later
    // stores what they showed.
    f.committed = positionIn(committedSwitches(), a.diseqcPort / 16);
    f.uncommitted = a.diseqcPort % 16;
    if (a.motorMode < 3) {
        f.motor = a.motorMode;
        f.diseqc = positionIn(diseqcPorts(), a.diseqcPort);
        return f;
    }
    f.diseqc = combinationEntry;
    int motor = a.motorMode;
    f.order = -1; // modes 3..15 and 19..31 name no order
    if (a.motorMode >= uncommitCommit) {
        f.order = 1;
        motor -= uncommitCommit;
    } else if (a.motorMode >= commitUncommit && a.motorMode <= commitUncommit + 2) {
        f.order = 0;
        motor -= commitUncommit;
    }
    f.motor = positionIn(motorModes(), motor);
    return f;
}

AntennaControls antennaControls(const AntennaForm& form) {
    return {form.lnbType == userDefinedLnb, form.motor == diseqc12Motor,
            form.diseqc == combinationEntry};
}

void chooseMotor(AntennaForm& form, int motor) {
    form.motor = motor;
    if (motor != diseqc12Motor) {
        form.motorPosition = "0";
    }
}

RecordPlan planAntennaUpdate(const AntennaForm& opened, const AntennaForm& edited) {
    return planAntenna(&opened, edited);
}

RecordPlan planNewAntenna(const AntennaForm& form) {
    return planAntenna(nullptr, form);
}

} // namespace tavrino
