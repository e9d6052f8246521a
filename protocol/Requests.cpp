#include "protocol/Requests.h"

#include "params/ParameterImage.h"
#include "protocol/PageChecksum.h"

#include <algorithm>

namespace vantrel {

Plaintext requestPlaintext(std::uint8_t code, std::uint8_t sequence, const RequestArgs& args) {
    Plaintext p{PlainStart, code, sequence, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
    std::copy(args.begin(), args.end(), p.begin() + 10);
    p[15] = PlainEnd;
    return p;
}

Plaintext blockPlaintext(std::uint8_t code, const BlockData& data) {
    Plaintext p{};
    p[0] = PlainStart;
    p[1] = code;
    std::copy(data.begin(), data.end(), p.begin() + 2);
    p[15] = PlainEnd;
    return p;
}

RequestArgs pageRequestArgs(std::size_t page) {
    return {0x00, 0x00, 0x00, static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(PageSize)};
}

std::array<BlockData, WriteBlockCount> pageWriteBlocks(const std::uint8_t* page) {
    std::array<BlockData, WriteBlockCount> blocks{};
    for (std::size_t b = 0; b < 5; ++b) {
        blocks[b][0] = static_cast<std::uint8_t>(b);
        std::copy(page + 12 * b, page + 12 * b + 12, blocks[b].begin() + 1);
    }
    BlockData& last = blocks[5];
    last[0] = 5;
    std::copy(page + 60, page + 64, last.begin() + 1);
    const std::uint32_t sum = PageChecksum(page);
    last[5] = static_cast<std::uint8_t>(sum >> 24);
    last[6] = static_cast<std::uint8_t>(sum >> 16);
    last[7] = static_cast<std::uint8_t>(sum >> 8);
    last[8] = static_cast<std::uint8_t>(sum);
    // Bytes 9..11 stay zero. The block is built in the same buffer as block 4, so its last byte keeps
    // page byte 59: the module has always received it there.
    last[12] = page[59];
    return blocks;
}

} // namespace vantrel
