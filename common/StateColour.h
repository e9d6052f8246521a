// The four colours in which the tool shows states and outcomes; the windows turn them into QColor.
#pragma once

#include <cstdint>

namespace vantrel {

struct Rgb {
    std::uint8_t r, g, b;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colour {
constexpr Rgb Black{0, 0, 0};       // idle, open
constexpr Rgb Red{255, 0, 0};       // alarm, missing, failed
constexpr Rgb Green{0, 128, 0};     // good, active, running
constexpr Rgb Blue{0, 0, 255};      // automatic Contact-ID reception
} // namespace colour

} // namespace vantrel
