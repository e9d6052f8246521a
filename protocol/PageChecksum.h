// The 32-bit checksum that guards each 64-byte page in both directions: every byte is XORed with a key
// that depends on its block (k div 12, counted from 1) and its place in the block (k mod 12), and summed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// The key of page byte k: block number (1 to 6) plus the position within the block.
constexpr std::uint8_t checksumKey(std::size_t k) {
    return static_cast<std::uint8_t>(k / 12 + 1 + k % 12);
}

// Checksum of the 64 bytes at page, wrapping modulo 2^32.
std::uint32_t PageChecksum(const std::uint8_t* page);

} // namespace vantrel
