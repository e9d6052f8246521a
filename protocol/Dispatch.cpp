#include "protocol/Dispatch.h"

#include "protocol/PageChecksum.h"

namespace vantrel {

namespace {

constexpr std::size_t kBlockData = 12; // page bytes per block; the sixth block carries 4 and the checksum

struct TextRoute {
    std::uint8_t code;
    bool longForm;
    MemoTarget detailBox;
    bool alsoStateBox; // texts of the first two channels reach the status monitor as well
};

constexpr TextRoute kTextRoutes[] = {
    {code::TextShort1, false, MemoTarget::Memo3, true},     {code::TextLong1, true, MemoTarget::Memo3, true},
    {code::TextShort2, false, MemoTarget::Memo4, true},     {code::TextLong2, true, MemoTarget::Memo4, true},
    {code::TextShort3, false, MemoTarget::Memo5, false},    {code::TextLong3, true, MemoTarget::Memo5, false},
    {code::TextShortDtmf, false, MemoTarget::MemoDTMF, false}, {code::TextLongDtmf, true, MemoTarget::MemoDTMF, false},
};

// The code a frame is dispatched by. "3" and "5" count only as the whole byte: under the six-bit rule
// 0x73 or 0xF5 would otherwise pass for them.
std::uint8_t messageCode(std::uint8_t byte1) {
    if (byte1 == code::TextLong3 || byte1 == code::TextLongDtmf)
        return byte1;
    const std::uint8_t low = byte1 & 0x3F;
    if (low == code::TextLong3 || low == code::TextLongDtmf)
        return 0; // not a code of its own
    return low;
}

void pageHeader(const Plaintext& p, TransferState& s) {
    s.PageAddress = static_cast<std::uint16_t>(p[13] * PageSize);
    s.BlockCounter = 1;
    s.PageSum = 0;
}

void pageBlock(const Plaintext& p, TransferState& s) {
    const unsigned index = p[2];
    if (index + 1 != s.BlockCounter) {
        s.BlockCounter = 0; // out of order, repeated or without a header: the page is abandoned
        return;
    }
    const std::size_t base = (s.BlockCounter - 1u) * kBlockData;
    const std::size_t count = s.BlockCounter < 6 ? kBlockData : PageSize - 5 * kBlockData;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t d = p[3 + i];
        s.PageBuffer[base + i] = d;
        s.PageSum += static_cast<std::uint32_t>(checksumKey(base + i) ^ d);
    }
    if (s.BlockCounter < 6) {
        ++s.BlockCounter;
        return;
    }
    const std::uint32_t sent = (std::uint32_t(p[7]) << 24) | (std::uint32_t(p[8]) << 16) |
                               (std::uint32_t(p[9]) << 8) | std::uint32_t(p[10]);
    if (sent == s.PageSum)
        s.PageReceived = 1;
    s.BlockCounter = 0;
}

} // namespace

QByteArray messageText(const Plaintext& plain, bool longForm) {
    QByteArray text;
    for (std::size_t i = longForm ? 2 : 11; i <= 14; ++i)
        if (plain[i] != 0x00)
            text.append(static_cast<char>(plain[i]));
    return text;
}

void DispatchFrame(const Plaintext& RxPlain, TransferState& state, DispatchSink& sink) {
    const std::uint8_t c = messageCode(RxPlain[1]);
    for (const TextRoute& route : kTextRoutes) {
        if (route.code != c)
            continue;
        const QByteArray text = messageText(RxPlain, route.longForm);
        if (text.isEmpty())
            return;
        sink.AppendToMemo(route.detailBox, text, false);
        if (route.alsoStateBox)
            sink.AppendToMemo(MemoTarget::MemoState, text, true);
        return;
    }
    switch (c) {
    case code::Status:
        sink.StatusMessage({RxPlain[11], RxPlain[12], RxPlain[13], RxPlain[14]});
        break;
    case code::PageHeader:
        pageHeader(RxPlain, state);
        break;
    case code::PageBlock:
        pageBlock(RxPlain, state);
        break;
    case code::WriteAck:
        if (RxPlain[14] == 0x40)
            state.WriteAcknowledged = 1;
        break;
    default:
        break; // codes the tool does not know are ignored
    }
}

} // namespace vantrel
