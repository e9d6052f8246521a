// The frames the tool sends: numbered requests (page read, page write header) and data blocks (page write
// data), as plaintexts ready for the frame encoder.
#pragma once

#include "protocol/SecuredFrame.h"

#include <array>
#include <cstdint>

namespace vantrel {

namespace request {
constexpr std::uint8_t ReadPage = 0x1C;    // page read and page compare
constexpr std::uint8_t WriteHeader = 0x2D; // "-": page write header
constexpr std::uint8_t WriteBlock = 0x3D;  // "=": page write data block
} // namespace request

using RequestArgs = std::array<std::uint8_t, 5>;
using BlockData = std::array<std::uint8_t, 13>;
constexpr std::size_t WriteBlockCount = 6;

// [ code sequence 00 FF FF 00 FF FF 00 args ]
Plaintext requestPlaintext(std::uint8_t code, std::uint8_t sequence, const RequestArgs& args);
// [ code data ]
Plaintext blockPlaintext(std::uint8_t code, const BlockData& data);

// The arguments of a page request: 00 00 00, the page number, the page size.
RequestArgs pageRequestArgs(std::size_t page);

// The six data blocks that write one 64-byte page: blocks 0..4 carry twelve bytes each; block 5 carries
// the last four, the page checksum (most significant byte first), three zero bytes, and again page byte
// 59, which the module ignores but has always received there.
std::array<BlockData, WriteBlockCount> pageWriteBlocks(const std::uint8_t* page);

} // namespace vantrel
