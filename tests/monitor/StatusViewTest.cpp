#include "monitor/StatusView.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {
const StateText Shorted{QStringLiteral("Rövidzár"), colour::Red};
const StateText Open{QStringLiteral("Nyitva"), colour::Black};
const StateText LineOk{QStringLiteral("Vonal rendben"), colour::Green};
const StateText NoLine{QStringLiteral("Nincs vonal"), colour::Red};
} // namespace

TEST(StatusView, InputsAndLine) {
    StatusView all = statusView({0x1F, 0, 0, 0});
    for (const StateText& in : all.inputs)
        EXPECT_EQ(in, Shorted);
    EXPECT_EQ(all.line, LineOk);

    for (std::uint8_t flags : {0x00, 0xE0}) {
        StatusView none = statusView({flags, 0, 0, 0});
        for (const StateText& in : none.inputs)
            EXPECT_EQ(in, Open);
        EXPECT_EQ(none.line, NoLine);
    }

    StatusView in3 = statusView({0x04, 0, 0, 0});
    EXPECT_EQ(in3.inputs[2], Shorted);
    EXPECT_EQ(in3.inputs[0], Open);
    EXPECT_EQ(in3.inputs[3], Open);
}

TEST(StatusView, CallStatesWithTheirNumber) {
    const std::tuple<int, const char*, Rgb> rows[] = {
        {0, "Alaphelyzetben. 0", colour::Black},
        {1, "Beemelve, tárcsázásra vár. 1", colour::Red},
        {2, "Kimenő hívás folyamatban 2", colour::Green},
        {3, "Automatikus Contact-ID vétel 3", colour::Blue},
        {4, "Bejövő hívás, beemelésre vár 4", colour::Red},
        {5, "Bejövő hívás folyamatban 5", colour::Green},
        {6, "Automatikus hívás folyamatban. 6", colour::Green},
        {7, ". 7", colour::Black},
        {8, ". 8", colour::Black},
        {9, "Hívás vége. 9", colour::Green},
        {10, ". 10", colour::Black},
        {11, "Kimenet vezérlő hívás folyamatban 11", colour::Green},
        {12, ". 12", colour::Black},
        {255, ". 255", colour::Black},
    };
    for (const auto& [state, text, rgb] : rows) {
        const StatusView v = statusView({0, 0, static_cast<std::uint8_t>(state), 0});
        EXPECT_EQ(v.call.text, QString::fromUtf8(text)) << state;
        EXPECT_EQ(v.call.colour, rgb) << state;
    }
}

TEST(StatusView, SignalBarIsCappedButTheNumberIsNot) {
    EXPECT_EQ(statusView({0, 31, 0, 0}).signalBar, 31);
    EXPECT_EQ(statusView({0, 31, 0, 0}).signalText, QStringLiteral("31"));
    EXPECT_EQ(statusView({0, 99, 0, 0}).signalBar, 31);
    EXPECT_EQ(statusView({0, 99, 0, 0}).signalText, QStringLiteral("99"));
    EXPECT_EQ(statusView({0, 0, 0, 0}).signalBar, 0);
    EXPECT_EQ(statusView({0, 0, 0, 0}).signalText, QStringLiteral("0"));
}
