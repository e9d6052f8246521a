#include "protocol/SecuredFrame.h"

#include <algorithm>

namespace vantrel {

SecuredFrame encodeFrame(Aes128& cipher, const Plaintext& plain) {
    cipher.setKey(ModuleKey);
    const Block16 encrypted = cipher.encryptBlock(plain);
    SecuredFrame frame{};
    frame[0] = FrameStart;
    std::copy(encrypted.begin(), encrypted.end(), frame.begin() + 1);
    frame[FrameSize - 1] = FrameEnd;
    return frame;
}

bool FrameReceiver::FeedByte(std::uint8_t b) {
    const std::uint8_t oldest = window_[0];
    std::copy(window_.begin() + 1, window_.end(), window_.begin());
    window_[16] = b;
    if (oldest != FrameStart || b != FrameEnd)
        return false;

    Block16 candidate{};
    std::copy(window_.begin(), window_.begin() + 16, candidate.begin());
    aes_.setKey(ModuleKey);
    const Plaintext plain = aes_.decryptBlock(candidate);
    if (plain[0] != PlainStart || plain[15] != PlainEnd)
        return false;
    plain_ = plain;
    if (dispatch_)
        dispatch_(plain_);
    return true;
}

} // namespace vantrel
