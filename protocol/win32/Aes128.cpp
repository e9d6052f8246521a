// AES-128 through the system's own cryptography (CNG), the cipher library of the Windows build.
#include "protocol/Aes128.h"

#include <windows.h>

#include <bcrypt.h>
#include <stdexcept>
#include <vector>

namespace vantrel {

namespace {

bool ok(NTSTATUS status) {
    return status >= 0;
}

// The algorithm provider is opened once, in ECB mode: opening it costs far more than a block does.
BCRYPT_ALG_HANDLE aes128Ecb() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (!ok(BCryptOpenAlgorithmProvider(&handle, BCRYPT_AES_ALGORITHM, nullptr, 0)))
            return BCRYPT_ALG_HANDLE{nullptr};
        auto* mode = const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB);
        if (!ok(BCryptSetProperty(handle, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode),
                                  static_cast<ULONG>((wcslen(mode) + 1) * sizeof(wchar_t)), 0))) {
            BCryptCloseAlgorithmProvider(handle, 0);
            return BCRYPT_ALG_HANDLE{nullptr};
        }
        return handle;
    }();
    return provider;
}

} // namespace

// One key object serves both directions: ECB on whole blocks carries nothing from one block to the next,
// so the key is made when it changes, not for every frame.
struct Aes128::Context {
    BCRYPT_KEY_HANDLE key = nullptr;
    std::vector<UCHAR> keyObject;
    bool keyed = false;
    void release() {
        if (key != nullptr)
            BCryptDestroyKey(key);
        key = nullptr;
        keyed = false;
    }
    ~Context() { release(); }
};

namespace {

Block16 runBlock(BCRYPT_KEY_HANDLE key, const Block16& in, bool encrypt) {
    Block16 out{};
    Block16 input = in; // the calls take the input as writable
    ULONG written = 0;
    const NTSTATUS status =
        encrypt ? BCryptEncrypt(key, input.data(), 16, nullptr, nullptr, 0, out.data(), 16, &written, 0)
                : BCryptDecrypt(key, input.data(), 16, nullptr, nullptr, 0, out.data(), 16, &written, 0);
    if (!ok(status) || written != 16)
        throw std::runtime_error("AES block operation failed");
    return out;
}

} // namespace

Aes128::Aes128() : ctx_(std::make_unique<Context>()) {
    // Opening the provider readies the cipher library: done here, at start-up, not with the first frame.
    aes128Ecb();
}
Aes128::~Aes128() = default;

void Aes128::setKey(const Key128& key) {
    if (ctx_->keyed && key == key_)
        return;
    key_ = key;
    ctx_->release();
    BCRYPT_ALG_HANDLE provider = aes128Ecb();
    DWORD objectLength = 0;
    ULONG got = 0;
    if (provider == nullptr ||
        !ok(BCryptGetProperty(provider, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectLength),
                              sizeof objectLength, &got, 0)))
        throw std::runtime_error("AES initialisation failed");
    ctx_->keyObject.assign(objectLength, 0);
    Key128 secret = key_;
    if (!ok(BCryptGenerateSymmetricKey(provider, &ctx_->key, ctx_->keyObject.data(), objectLength, secret.data(),
                                       static_cast<ULONG>(secret.size()), 0)))
        throw std::runtime_error("AES initialisation failed");
    ctx_->keyed = true;
}

Block16 Aes128::encryptBlock(const Block16& plain) {
    if (!ctx_->keyed)
        setKey(key_); // the all-zero key of a cipher never keyed
    return runBlock(ctx_->key, plain, true);
}

Block16 Aes128::decryptBlock(const Block16& cipher) {
    if (!ctx_->keyed)
        setKey(key_);
    return runBlock(ctx_->key, cipher, false);
}

} // namespace vantrel
