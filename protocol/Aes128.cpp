#include "protocol/Aes128.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace vantrel {

struct Aes128::Context {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~Context() { EVP_CIPHER_CTX_free(ctx); }
};

namespace {

Block16 runBlock(EVP_CIPHER_CTX* ctx, const Key128& key, const Block16& in, bool encrypt) {
    // Keyed afresh for every block: no cipher state may carry from one frame to the next.
    if (ctx == nullptr || EVP_CipherInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) != 1)
        throw std::runtime_error("AES initialisation failed");
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    Block16 out{};
    int len = 0;
    if (EVP_CipherUpdate(ctx, out.data(), &len, in.data(), static_cast<int>(in.size())) != 1 || len != 16)
        throw std::runtime_error("AES block operation failed");
    return out;
}

} // namespace

Aes128::Aes128() : ctx_(std::make_unique<Context>()) {}
Aes128::~Aes128() = default;

void Aes128::setKey(const Key128& key) {
    key_ = key;
}

Block16 Aes128::encryptBlock(const Block16& plain) {
    return runBlock(ctx_->ctx, key_, plain, true);
}

Block16 Aes128::decryptBlock(const Block16& cipher) {
    return runBlock(ctx_->ctx, key_, cipher, false);
}

} // namespace vantrel
