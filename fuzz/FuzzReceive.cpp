// The receive path as the line delivers it: arbitrary bytes, cut into notifications of arbitrary size, fed
// byte by byte through the module connection's frame receiver into its dispatch. Between notifications
// the transfer may clear its flags, as it does before each request.
//
// Input: two bytes that seed the cutting, then the bytes of the line.
//
// Checked on every byte: a frame is accepted exactly when the rule of the sliding window says so (start
// byte 17 places before the end byte, both plaintext markers), a rejected candidate changes nothing, a
// page is only ever reported with a buffer whose checksum is the one the module sent, and the texts
// passed on are never empty, never hold 0x00 and fit one message.
#include "fuzz/FuzzSupport.h"
#include "protocol/ModuleConnection.h"
#include "protocol/PageChecksum.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>

namespace {

using namespace vantrel;
using fuzz::require;

class CheckingSink : public DispatchSink {
public:
    void AppendToMemo(MemoTarget box, const QByteArray& text, bool always) override {
        require(!text.isEmpty(), "an empty text was passed on");
        require(!text.contains('\0'), "a text still holds a 0x00 byte");
        require(text.size() <= 13, "a text longer than one message payload");
        // Only the status monitor's box is written whatever windows are visible.
        require(always == (box == MemoTarget::MemoState), "a text box with the wrong visibility rule");
    }
    void StatusMessage(const std::array<std::uint8_t, 4>&) override {}
};

// The sliding window as the rule states it, kept apart from the receiver under test.
class ReferenceWindow {
public:
    ReferenceWindow() { aes_.setKey(ModuleKey); }

    std::optional<Plaintext> feed(std::uint8_t b) {
        const std::uint8_t oldest = last_[next_];
        last_[next_] = b;
        next_ = (next_ + 1) % last_.size();
        if (oldest != FrameStart || b != FrameEnd)
            return std::nullopt;
        // The candidate is the 16 bytes after the start byte, oldest first; next_ now points at the
        // oldest byte of the ring, which is the one right after the start byte.
        Block16 candidate{};
        for (std::size_t i = 0; i < 16; ++i)
            candidate[i] = last_[(next_ + i) % last_.size()];
        const Plaintext plain = aes_.decryptBlock(candidate);
        if (plain[0] != PlainStart || plain[15] != PlainEnd)
            return std::nullopt;
        return plain;
    }

private:
    std::array<std::uint8_t, 17> last_{}; // all 0x00 at start, like the receiver's window
    std::size_t next_ = 0;
    Aes128 aes_;
};

bool sameState(const TransferState& a, const TransferState& b) {
    return a.PageReceived == b.PageReceived && a.WriteAcknowledged == b.WriteAcknowledged &&
           a.PageAddress == b.PageAddress && a.BlockCounter == b.BlockCounter && a.PageSum == b.PageSum &&
           a.PageBuffer == b.PageBuffer;
}

std::uint32_t bigEndian32(const Plaintext& p, std::size_t at) {
    return (std::uint32_t{p[at]} << 24) | (std::uint32_t{p[at + 1]} << 16) | (std::uint32_t{p[at + 2]} << 8) |
           std::uint32_t{p[at + 3]};
}

void checkTransition(const TransferState& before, const TransferState& after, const Plaintext* accepted) {
    require(after.BlockCounter <= 6, "block counter beyond the sixth block");
    require(after.PageReceived <= 1 && after.WriteAcknowledged <= 1, "a flag that is neither 0 nor 1");
    require(after.PageAddress % 64 == 0, "a page address that is not a page start");
    if (!accepted) {
        require(sameState(before, after), "a byte that completed no frame changed the transfer state");
        return;
    }
    const Plaintext& p = *accepted;
    if (!before.PageReceived && after.PageReceived) {
        require((p[1] & 0x3F) == 0x3C && p[2] == 5 && before.BlockCounter == 6,
                "a page reported by something other than its last block");
        require(PageChecksum(after.PageBuffer.data()) == bigEndian32(p, 7),
                "a page reported whose bytes do not match the checksum the module sent");
    }
    if (!before.WriteAcknowledged && after.WriteAcknowledged)
        require((p[1] & 0x3F) == 0x1D && p[14] == 0x40, "an acknowledgement from a frame that is none");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The cutting into notifications comes from a generator seeded by the first two bytes, so the line's
    // bytes stay together in the input and a mutation of one does not shift the cuts of all the others.
    std::minstd_rand cuts(static_cast<std::uint32_t>(data[0] << 8 | data[1]) + 1u);
    data += 2;
    size -= 2;

    ModuleConnection link;
    CheckingSink sink;
    link.setSink(&sink);
    TransferState& state = link.transferState();
    ReferenceWindow reference;

    std::size_t at = 0;
    while (at < size) {
        const std::size_t count = std::min<std::size_t>(size - at, 1 + cuts() % 64);
        if (cuts() % 4 == 0) {
            // The transfer clears its flags before a request; received frames may arrive right after.
            state.PageReceived = 0;
            state.WriteAcknowledged = 0;
        }
        for (std::size_t i = 0; i < count; ++i, ++at) {
            const TransferState before = state;
            const Plaintext previousPlain = link.receiver().RxPlain();
            const bool accepted = link.FeedByte(data[at]);
            const std::optional<Plaintext> expected = reference.feed(data[at]);
            require(accepted == expected.has_value(), "frame acceptance differs from the sliding-window rule");
            if (accepted) {
                require(link.receiver().RxPlain() == *expected, "the accepted plaintext is not the frame's");
                checkTransition(before, state, &link.receiver().RxPlain());
            } else {
                require(link.receiver().RxPlain() == previousPlain, "a rejected candidate changed RxPlain");
                checkTransition(before, state, nullptr);
            }
        }
    }
    return 0;
}
