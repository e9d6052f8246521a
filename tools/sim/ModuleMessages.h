// What travels on the line, seen from the module: the plaintexts of the messages it sends, the requests
// it understands, and the scanner that finds those requests in the bytes it receives. The simulator finds
// and decodes requests with its own code, so that a fault in the tool's codec cannot hide behind the same
// fault here; only the cipher and the outgoing frame wrapper are shared.
#pragma once

#include "protocol/Aes128.h"
#include "protocol/SecuredFrame.h"
#include "tools/sim/ModuleMemory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::sim {

// Plaintext layout, both directions: "[" code payload[13] "]".
namespace layout {
constexpr std::size_t Code = 1;
constexpr std::size_t Payload = 2;
constexpr std::size_t PayloadSize = 13;

// Requests of the tool (code, sequence, seven fixed bytes, five argument bytes).
constexpr std::size_t Sequence = 2;
constexpr std::size_t Fixed = 3;
constexpr std::array<std::uint8_t, 7> FixedBytes{0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
constexpr std::size_t Arguments = 10;
constexpr std::size_t PageArgument = 13;
constexpr std::size_t SizeArgument = 14;

// Page blocks, both directions: block index, then twelve data bytes; the last block carries four data
// bytes and the big-endian checksum.
constexpr std::size_t BlockIndex = 2;
constexpr std::size_t BlockData = 3;
constexpr std::size_t BlockDataSize = 12;
constexpr std::size_t LastBlockDataSize = 4;
constexpr std::size_t BlockChecksum = 7;
constexpr int BlocksPerPage = 6;
static_assert((BlocksPerPage - 1) * BlockDataSize + LastBlockDataSize == PageSize);

// Module messages.
constexpr std::size_t HeaderPage = 13;
constexpr std::size_t StatusBytes = 11;
constexpr std::size_t AckMark = 14;
constexpr std::size_t ShortText = 11;
constexpr std::size_t ShortTextSize = 4;
constexpr std::size_t LongText = 2;
constexpr std::size_t LongTextSize = 13;
} // namespace layout

namespace code {
constexpr std::uint8_t PageRead = 0x1C;
constexpr std::uint8_t WriteHeader = 0x2D;
constexpr std::uint8_t WriteBlock = 0x3D;
constexpr std::uint8_t PageHeader = 0x2C;
constexpr std::uint8_t PageBlock = 0x3C;
constexpr std::uint8_t Status = 0x24;
constexpr std::uint8_t WriteAck = 0x1D;
} // namespace code

constexpr std::uint8_t AckMarkValue = 0x40;
constexpr std::uint8_t PageSizeArgument = 0x40;
constexpr int TextChannels = 4;

// The module's live state as the status message carries it.
struct ModuleStatus {
    std::uint8_t inputs = 0x10; // IN1-IN4 open, wired line in order
    std::uint8_t signal = 20;
    std::uint8_t call = 0; // idle
    std::uint8_t spare = 0;
    bool operator==(const ModuleStatus&) const = default;
};

enum class TextForm { Short, Long };

Plaintext pageHeaderMessage(int announcedPage);
// Block `index` (0..5) of a page answer; the checksum goes into the last block only.
Plaintext pageBlockMessage(const PageBytes& page, int index, std::uint32_t checksum);
Plaintext statusMessage(const ModuleStatus& status);
Plaintext writeAckMessage();
// A text on channel 1..4, cut into as many messages as it needs; the last one is padded with 0x00.
// Throws SimError for a channel outside 1..4.
std::vector<Plaintext> textMessages(int channel, std::string_view text, TextForm form);

// One request found in the received bytes.
struct Request {
    enum class Kind { PageRead, WriteHeader, WriteBlock, StatusPoll, Invalid };
    Kind kind = Kind::Invalid;
    int page = -1;                                        // PageRead, WriteHeader
    std::array<std::uint8_t, layout::PayloadSize> data{}; // WriteBlock: plaintext bytes 2..14
    std::string problem;                                  // Invalid: why it was refused
};

// Finds secured frames by their start byte 17 places before the end byte, whatever came between them,
// and the plain status poll "??" CR; decodes each into a Request.
class RequestScanner {
public:
    // The request that this byte completes, if any. Candidates whose plaintext lacks the markers are
    // line noise and give nothing.
    std::optional<Request> feed(std::uint8_t byte);

private:
    std::array<std::uint8_t, FrameSize> recent_{}; // ring of the last 18 bytes
    std::size_t next_ = 0;                         // where the next byte goes
    std::size_t count_ = 0;
    Aes128 cipher_;

    std::uint8_t back(std::size_t distance) const; // 0 = the byte just stored
};

// The request a plaintext that carries both markers stands for.
Request decodeRequest(const Plaintext& plain);

} // namespace vantrel::sim
