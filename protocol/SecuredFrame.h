// Secured frames: one AES-128 block between "{" and "}", both directions. The receiver finds frames with a
// sliding window over the last 17 bytes and accepts a candidate only if its plaintext is "[" ... "]".
#pragma once

#include "protocol/Aes128.h"

#include <array>
#include <cstdint>
#include <functional>

namespace vantrel {

constexpr std::uint8_t FrameStart = 0x7B;  // "{"
constexpr std::uint8_t FrameEnd = 0x7D;    // "}"
constexpr std::uint8_t PlainStart = 0x5B;  // "["
constexpr std::uint8_t PlainEnd = 0x5D;    // "]"
constexpr std::size_t FrameSize = 18;

using Plaintext = Block16;
using SecuredFrame = std::array<std::uint8_t, FrameSize>;

// The key compiled into the tool and the module, the same in both directions.
constexpr Key128 ModuleKey{0x3B, 0x9E, 0x07, 0xC4, 0x52, 0xA1, 0x6D, 0xF8,
                           0x19, 0xE3, 0x84, 0x2F, 0xB6, 0x70, 0x5C, 0xDA};

// Encrypts one plaintext under ModuleKey (keying the cipher first) and wraps it in the start and end bytes.
SecuredFrame encodeFrame(Aes128& cipher, const Plaintext& plain);

// The receive side of the codec: the last 17 bytes received and the plaintext of the last accepted frame.
class FrameReceiver {
public:
    using Dispatch = std::function<void(const Plaintext&)>;

    explicit FrameReceiver(Dispatch dispatch = {}) : dispatch_(std::move(dispatch)) {}
    void setDispatch(Dispatch dispatch) { dispatch_ = std::move(dispatch); }

    // Shifts b into the window; when it completes a frame whose plaintext carries both markers, stores the
    // plaintext in RxPlain and dispatches it before returning. True when a frame was accepted.
    bool FeedByte(std::uint8_t b);

    const std::array<std::uint8_t, 17>& RxWindow() const { return window_; }
    const Plaintext& RxPlain() const { return plain_; }

private:
    std::array<std::uint8_t, 17> window_{};
    Plaintext plain_{};
    Aes128 aes_;
    Dispatch dispatch_;
};

} // namespace vantrel
