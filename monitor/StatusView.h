// The module's live state as the status monitor shows it: texts and colours for the four inputs, the
// wired line and the call state, and the signal level.
#pragma once

#include "common/Errors.h"
#include "common/StateColour.h"

#include <QString>
#include <array>
#include <cstdint>

namespace vantrel {

// Four bytes of a status message, in the order they arrive.
struct StatusRecord {
    std::uint8_t InputFlags = 0;  // bits 0-3: IN1-IN4 shorted; bit 4: wired line in order
    std::uint8_t SignalLevel = 0; // GSM signal level, 0-31 on the display scale
    std::uint8_t CallState = 0;   // the module's line/call state code
    std::uint8_t StatusSpare = 0; // sent by the module, not shown
};

struct StateText {
    QString text;
    Rgb colour;
    friend bool operator==(const StateText&, const StateText&) = default;
};

struct StatusView {
    std::array<StateText, 4> inputs; // IN1..IN4
    StateText line;
    StateText call;
    int signalBar = 0;  // position of the 0-31 bar (larger values fill it)
    QString signalText; // the level as a number, not limited
};

// The window shows the Hungarian texts; the command-line tool asks for the language of its run.
StatusView statusView(const StatusRecord& status, TextLanguage language = TextLanguage::Hungarian);

} // namespace vantrel
