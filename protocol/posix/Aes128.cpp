// AES-128 through OpenSSL's libcrypto, the cipher library of the Linux build.
#include "protocol/Aes128.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace vantrel {

namespace {

// The cipher's implementation is looked up once: the lookup costs far more than a block does.
const EVP_CIPHER* aes128Ecb() {
    static EVP_CIPHER* const cipher = EVP_CIPHER_fetch(nullptr, "AES-128-ECB", nullptr);
    return cipher;
}

} // namespace

// One keyed context for each direction. ECB on whole blocks carries nothing from one block to the next,
// so the contexts are keyed when the key changes, not for every frame.
struct Aes128::Context {
    EVP_CIPHER_CTX* encrypt = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX* decrypt = EVP_CIPHER_CTX_new();
    bool keyed = false;
    ~Context() {
        EVP_CIPHER_CTX_free(encrypt);
        EVP_CIPHER_CTX_free(decrypt);
    }
};

namespace {

void keyContext(EVP_CIPHER_CTX* ctx, const Key128& key, bool encrypt) {
    if (ctx == nullptr || aes128Ecb() == nullptr ||
        EVP_CipherInit_ex(ctx, aes128Ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) != 1)
        throw std::runtime_error("AES initialisation failed");
    EVP_CIPHER_CTX_set_padding(ctx, 0);
}

Block16 runBlock(EVP_CIPHER_CTX* ctx, const Block16& in) {
    Block16 out{};
    int len = 0;
    if (EVP_CipherUpdate(ctx, out.data(), &len, in.data(), static_cast<int>(in.size())) != 1 || len != 16)
        throw std::runtime_error("AES block operation failed");
    return out;
}

} // namespace

Aes128::Aes128() : ctx_(std::make_unique<Context>()) {
    // The first lookup readies the cipher library, a few milliseconds' work: done here, at start-up, and
    // not with the first frame of a transfer.
    aes128Ecb();
}
Aes128::~Aes128() = default;

void Aes128::setKey(const Key128& key) {
    if (ctx_->keyed && key == key_)
        return;
    key_ = key;
    ctx_->keyed = false;
    keyContext(ctx_->encrypt, key_, true);
    keyContext(ctx_->decrypt, key_, false);
    ctx_->keyed = true;
}

Block16 Aes128::encryptBlock(const Block16& plain) {
    if (!ctx_->keyed)
        setKey(key_); // the all-zero key of a cipher never keyed
    return runBlock(ctx_->encrypt, plain);
}

Block16 Aes128::decryptBlock(const Block16& cipher) {
    if (!ctx_->keyed)
        setKey(key_);
    return runBlock(ctx_->decrypt, cipher);
}

} // namespace vantrel
