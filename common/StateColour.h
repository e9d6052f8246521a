// The four colours in which the tool shows states and outcomes, and the few of its own beside them; the
// windows turn them into QColor.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vantrel {

struct Rgb {
    std::uint8_t r, g, b;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colour {
constexpr Rgb Black{0, 0, 0};   // idle, open
constexpr Rgb Red{255, 0, 0};   // alarm, missing, failed
constexpr Rgb Green{0, 128, 0}; // good, active, running
constexpr Rgb Blue{0, 0, 255};  // automatic Contact-ID reception

// The tool's own: each keeps a contrast of at least 4.5:1 on a light window or list background, so that
// it can be read by those who see less.
constexpr Rgb Greyed{105, 105, 105}; // values no longer live, entries of earlier runs
constexpr Rgb Warning{176, 0, 0};    // a warning in words
} // namespace colour

// The contrast ratio of two colours as the accessibility guidelines define it, from 1 to 21.
inline double contrastRatio(Rgb a, Rgb b) {
    auto luminance = [](Rgb c) {
        auto channel = [](std::uint8_t v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace vantrel
