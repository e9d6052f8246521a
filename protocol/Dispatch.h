// What the tool does with each accepted frame from the module: texts go to their text boxes, the status
// message to the status monitor, page headers and blocks assemble a page, and an acknowledgement
// confirms a page write.
#pragma once

#include "protocol/SecuredFrame.h"
#include "protocol/TransferState.h"

#include <QByteArray>
#include <array>

namespace vantrel {

// Message codes, as the low six bits of plaintext byte 1 (but "3" and "5" only as the whole byte).
namespace code {
constexpr std::uint8_t TextShort1 = 0x21;    // "!"
constexpr std::uint8_t TextLong1 = 0x31;     // "1"
constexpr std::uint8_t TextShort2 = 0x22;    // the double quote
constexpr std::uint8_t TextLong2 = 0x32;     // "2"
constexpr std::uint8_t TextShort3 = 0x23;    // "#"
constexpr std::uint8_t TextLong3 = 0x33;     // "3", whole byte only
constexpr std::uint8_t TextShortDtmf = 0x25; // "%"
constexpr std::uint8_t TextLongDtmf = 0x35;  // "5", whole byte only
constexpr std::uint8_t Status = 0x24;        // "$"
constexpr std::uint8_t PageHeader = 0x2C;    // ","
constexpr std::uint8_t PageBlock = 0x3C;     // "<"
constexpr std::uint8_t WriteAck = 0x1D;
} // namespace code

// The text boxes that module texts reach.
enum class MemoTarget { Memo3, Memo4, Memo5, MemoDTMF, MemoState };

// Where the dispatch delivers texts and status; the main window routes them to its windows.
class DispatchSink {
public:
    virtual ~DispatchSink() = default;
    // always = false: only while the traffic detail window is visible.
    virtual void AppendToMemo(MemoTarget box, const QByteArray& text, bool always) = 0;
    // Plaintext bytes 11..14 of a status message, in order.
    virtual void StatusMessage(const std::array<std::uint8_t, 4>& status) = 0;
};

// The text of a text message without its 0x00 bytes: bytes 11..14 (short) or 2..14 (long).
QByteArray messageText(const Plaintext& plain, bool longForm);

// Acts on one accepted frame.
void DispatchFrame(const Plaintext& RxPlain, TransferState& state, DispatchSink& sink);

} // namespace vantrel
