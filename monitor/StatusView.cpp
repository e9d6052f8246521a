#include "monitor/StatusView.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr int kSignalScale = 31;

// Texts of the module's call states; the states without a row show ".".
StateText callStateText(std::uint8_t state) {
    switch (state) {
    case 0:
        return {QStringLiteral("Alaphelyzetben."), colour::Black};
    case 1:
        return {QStringLiteral("Beemelve, tárcsázásra vár."), colour::Red};
    case 2:
        return {QStringLiteral("Kimenő hívás folyamatban"), colour::Green};
    case 3:
        return {QStringLiteral("Automatikus Contact-ID vétel"), colour::Blue};
    case 4:
        return {QStringLiteral("Bejövő hívás, beemelésre vár"), colour::Red};
    case 5:
        return {QStringLiteral("Bejövő hívás folyamatban"), colour::Green};
    case 6:
        return {QStringLiteral("Automatikus hívás folyamatban."), colour::Green};
    case 9:
        return {QStringLiteral("Hívás vége."), colour::Green};
    case 11:
        return {QStringLiteral("Kimenet vezérlő hívás folyamatban"), colour::Green};
    default:
        return {QStringLiteral("."), colour::Black};
    }
}

} // namespace

StatusView statusView(const StatusRecord& status) {
    StatusView view;
    for (int n = 0; n < 4; ++n) {
        const bool shorted = status.InputFlags & (1u << n);
        view.inputs[n] = shorted ? StateText{QStringLiteral("Rövidzár"), colour::Red}
                                 : StateText{QStringLiteral("Nyitva"), colour::Black};
    }
    view.line = (status.InputFlags & 0x10) ? StateText{QStringLiteral("Vonal rendben"), colour::Green}
                                           : StateText{QStringLiteral("Nincs vonal"), colour::Red};
    view.call = callStateText(status.CallState);
    view.call.text += QLatin1Char(' ') + QString::number(status.CallState);
    view.signalBar = std::min<int>(status.SignalLevel, kSignalScale);
    view.signalText = QString::number(status.SignalLevel);
    return view;
}

} // namespace vantrel
