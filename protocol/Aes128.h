// AES-128 (FIPS-197) on single 16-byte blocks, ECB, no padding: the cipher of the secured frames.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace vantrel {

using Block16 = std::array<std::uint8_t, 16>;
using Key128 = std::array<std::uint8_t, 16>;

class Aes128 {
public:
    Aes128();
    ~Aes128();
    Aes128(const Aes128&) = delete;
    Aes128& operator=(const Aes128&) = delete;

    // Keys the cipher; every block below is processed under the last key set.
    void setKey(const Key128& key);
    Block16 encryptBlock(const Block16& plain);
    Block16 decryptBlock(const Block16& cipher);

private:
    struct Context;
    std::unique_ptr<Context> ctx_;
    Key128 key_{};
};

} // namespace vantrel
