// What the receiver may know of the messages on a line: their length and their first and last byte. With
// it the receiver can sleep until a message is due to be complete instead of looking at the line
// every few characters, and hand each message over as soon as its last byte is in.
#pragma once

#include <cstdint>
#include <span>

namespace vantrel {

struct MessageShape {
    int length = 0; // bytes of a message, first and last included; 0: nothing is known
    std::uint8_t first = 0;
    std::uint8_t last = 0;

    bool known() const { return length > 1; }
};

// How many more bytes the line must bring before the recent bytes end a message: 0 when they end one now,
// -1 when no message can have begun among them (noise, or nothing known). The earliest possible end
// counts, so a start byte that happens to sit inside a message's body can make the receiver look early,
// never late.
int bytesToMessageEnd(const MessageShape& shape, std::span<const std::uint8_t> recent);

// Whether a whole message ends among the last `fresh` of the recent bytes (a byte of the next one may
// already follow it).
bool messageEndsWithin(const MessageShape& shape, std::span<const std::uint8_t> recent, int fresh);

} // namespace vantrel
