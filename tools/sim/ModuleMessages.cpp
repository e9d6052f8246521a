#include "tools/sim/ModuleMessages.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::sim {

namespace {

constexpr std::uint8_t PollMark = 0x3F; // "?"
constexpr std::uint8_t CarriageReturn = 0x0D;

Plaintext emptyMessage(std::uint8_t messageCode) {
    Plaintext p{};
    p[0] = PlainStart;
    p[layout::Code] = messageCode;
    p[15] = PlainEnd;
    return p;
}

struct ChannelCodes {
    std::uint8_t shortForm;
    std::uint8_t longForm;
};
// Channel 4 carries the DTMF digits; its codes skip 0x24/0x34, which belong to the status message.
constexpr std::array<ChannelCodes, TextChannels> kChannelCodes{
    {{0x21, 0x31}, {0x22, 0x32}, {0x23, 0x33}, {0x25, 0x35}}};

std::string hexByte(std::uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

Request invalid(std::string problem) {
    Request r;
    r.problem = std::move(problem);
    return r;
}

// Read and write headers share the request layout; anything off in it means the module would not know
// what was meant, so it refuses rather than guess.
Request decodePageRequest(const Plaintext& plain, Request::Kind kind) {
    const std::uint8_t requestCode = plain[layout::Code];
    if (!std::equal(layout::FixedBytes.begin(), layout::FixedBytes.end(), plain.begin() + layout::Fixed))
        return invalid("request " + hexByte(requestCode) + " with wrong fixed bytes 3..9");
    for (std::size_t i = layout::Arguments; i < layout::PageArgument; ++i)
        if (plain[i] != 0)
            return invalid("request " + hexByte(requestCode) + " with a non-zero argument byte " + std::to_string(i));
    if (plain[layout::SizeArgument] != PageSizeArgument)
        return invalid("request " + hexByte(requestCode) + " for a page size of " +
                       std::to_string(plain[layout::SizeArgument]));
    const int page = plain[layout::PageArgument];
    if (page >= static_cast<int>(PageCount))
        return invalid("request " + hexByte(requestCode) + " for page " + std::to_string(page) + ", beyond the memory");
    Request r;
    r.kind = kind;
    r.page = page;
    return r;
}

} // namespace

Plaintext pageHeaderMessage(int announcedPage) {
    Plaintext p = emptyMessage(code::PageHeader);
    p[layout::HeaderPage] = static_cast<std::uint8_t>(announcedPage);
    return p;
}

Plaintext pageBlockMessage(const PageBytes& page, int index, std::uint32_t checksum) {
    Plaintext p = emptyMessage(code::PageBlock);
    p[layout::BlockIndex] = static_cast<std::uint8_t>(index);
    const std::size_t first = static_cast<std::size_t>(index) * layout::BlockDataSize;
    const bool last = index == layout::BlocksPerPage - 1;
    const std::size_t size = last ? layout::LastBlockDataSize : layout::BlockDataSize;
    std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(first), size, p.begin() + layout::BlockData);
    if (last)
        for (std::size_t i = 0; i < 4; ++i)
            p[layout::BlockChecksum + i] = static_cast<std::uint8_t>(checksum >> (24 - 8 * i));
    return p;
}

Plaintext statusMessage(const ModuleStatus& status) {
    Plaintext p = emptyMessage(code::Status);
    p[layout::StatusBytes] = status.inputs;
    p[layout::StatusBytes + 1] = status.signal;
    p[layout::StatusBytes + 2] = status.call;
    p[layout::StatusBytes + 3] = status.spare;
    return p;
}

Plaintext writeAckMessage() {
    Plaintext p = emptyMessage(code::WriteAck);
    p[layout::AckMark] = AckMarkValue;
    return p;
}

std::vector<Plaintext> textMessages(int channel, std::string_view text, TextForm form) {
    if (channel < 1 || channel > TextChannels)
        throw SimError("text channel " + std::to_string(channel) + " does not exist; the channels are 1 to 4");
    const ChannelCodes codes = kChannelCodes[static_cast<std::size_t>(channel - 1)];
    const bool isShort = form == TextForm::Short;
    const std::size_t at = isShort ? layout::ShortText : layout::LongText;
    const std::size_t size = isShort ? layout::ShortTextSize : layout::LongTextSize;
    std::vector<Plaintext> messages;
    for (std::size_t start = 0; start < text.size(); start += size) {
        Plaintext p = emptyMessage(isShort ? codes.shortForm : codes.longForm);
        const std::string_view piece = text.substr(start, size);
        std::copy(piece.begin(), piece.end(), p.begin() + static_cast<std::ptrdiff_t>(at));
        messages.push_back(p);
    }
    return messages;
}

Request decodeRequest(const Plaintext& plain) {
    switch (plain[layout::Code]) {
    case code::PageRead:
        return decodePageRequest(plain, Request::Kind::PageRead);
    case code::WriteHeader:
        return decodePageRequest(plain, Request::Kind::WriteHeader);
    case code::WriteBlock: {
        Request r;
        r.kind = Request::Kind::WriteBlock;
        std::copy_n(plain.begin() + layout::Payload, layout::PayloadSize, r.data.begin());
        return r;
    }
    default:
        return invalid("unknown request code " + hexByte(plain[layout::Code]));
    }
}

std::uint8_t RequestScanner::back(std::size_t distance) const {
    return recent_[(next_ + FrameSize - 1 - distance) % FrameSize];
}

std::optional<Request> RequestScanner::feed(std::uint8_t byte) {
    recent_[next_] = byte;
    next_ = (next_ + 1) % FrameSize;
    if (count_ < FrameSize)
        ++count_;

    if (byte == CarriageReturn && count_ >= 3 && back(1) == PollMark && back(2) == PollMark) {
        Request r;
        r.kind = Request::Kind::StatusPoll;
        return r;
    }
    if (byte != FrameEnd || count_ < FrameSize || back(FrameSize - 1) != FrameStart)
        return std::nullopt;

    Block16 cipherText{};
    for (std::size_t i = 0; i < cipherText.size(); ++i)
        cipherText[i] = back(FrameSize - 2 - i);
    cipher_.setKey(ModuleKey);
    const Plaintext plain = cipher_.decryptBlock(cipherText);
    if (plain[0] != PlainStart || plain[15] != PlainEnd)
        return std::nullopt;
    return decodeRequest(plain);
}

} // namespace vantrel::sim
