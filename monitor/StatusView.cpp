#include "monitor/StatusView.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr int kSignalScale = 31;

// Texts of the module's call states; the states without a row show ".".
StateText callStateText(std::uint8_t state, TextLanguage language) {
    const bool hu = language == TextLanguage::Hungarian;
    const auto pick = [hu](const char* hungarian, const char* english) {
        return QString::fromUtf8(hu ? hungarian : english);
    };
    switch (state) {
    case 0:
        return {pick("Alaphelyzetben.", "Idle."), colour::Black};
    case 1:
        return {pick("Beemelve, tárcsázásra vár.", "Off hook, waiting for dialling."), colour::Red};
    case 2:
        return {pick("Kimenő hívás folyamatban", "Outgoing call in progress"), colour::Green};
    case 3:
        return {pick("Automatikus Contact-ID vétel", "Automatic Contact-ID reception"), colour::Blue};
    case 4:
        return {pick("Bejövő hívás, beemelésre vár", "Incoming call, waiting to be answered"), colour::Red};
    case 5:
        return {pick("Bejövő hívás folyamatban", "Incoming call in progress"), colour::Green};
    case 6:
        return {pick("Automatikus hívás folyamatban.", "Automatic call in progress."), colour::Green};
    case 9:
        return {pick("Hívás vége.", "Call ended."), colour::Green};
    case 11:
        return {pick("Kimenet vezérlő hívás folyamatban", "Output control call in progress"), colour::Green};
    default:
        return {QStringLiteral("."), colour::Black};
    }
}

} // namespace

StatusView statusView(const StatusRecord& status, TextLanguage language) {
    const bool hu = language == TextLanguage::Hungarian;
    StatusView view;
    for (int n = 0; n < 4; ++n) {
        const bool shorted = status.InputFlags & (1u << n);
        view.inputs[n] = shorted ? StateText{hu ? QStringLiteral("Rövidzár") : QStringLiteral("Shorted"), colour::Red}
                                 : StateText{hu ? QStringLiteral("Nyitva") : QStringLiteral("Open"), colour::Black};
    }
    view.line = (status.InputFlags & 0x10)
                    ? StateText{hu ? QStringLiteral("Vonal rendben") : QStringLiteral("Line in order"), colour::Green}
                    : StateText{hu ? QStringLiteral("Nincs vonal") : QStringLiteral("No line"), colour::Red};
    view.call = callStateText(status.CallState, language);
    view.call.text += QLatin1Char(' ') + QString::number(status.CallState);
    view.signalBar = std::min<int>(status.SignalLevel, kSignalScale);
    view.signalText = QString::number(status.SignalLevel);
    return view;
}

} // namespace vantrel
