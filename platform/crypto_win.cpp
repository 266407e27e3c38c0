#include "platform/crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

namespace tobrel::platform {

namespace {

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

// An algorithm provider, closed again when it goes out of scope.
class Provider {
public:
    Provider(const wchar_t* algorithm, ULONG flags) {
        if (!succeeded(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) {
            handle_ = nullptr;
        }
    }
    ~Provider() {
        if (handle_) {
            BCryptCloseAlgorithmProvider(handle_, 0);
        }
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Key {
public:
    ~Key() {
        if (handle_) {
            BCryptDestroyKey(handle_);
        }
    }
    BCRYPT_KEY_HANDLE handle_ = nullptr;
};

class Hash {
public:
    ~Hash() {
        if (handle_) {
            BCryptDestroyHash(handle_);
        }
    }
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};

std::optional<AesBlock> aes128Ecb(const AesKey& key, const AesBlock& block, bool encrypt) {
    Provider aes(BCRYPT_AES_ALGORITHM, 0);
    if (!aes.get()) {
        return std::nullopt;
    }
    wchar_t mode[] = BCRYPT_CHAIN_MODE_ECB;
    if (!succeeded(BCryptSetProperty(aes.get(), BCRYPT_CHAINING_MODE,
                                     reinterpret_cast<PUCHAR>(mode), sizeof mode, 0))) {
        return std::nullopt;
    }
    Key handle;
    AesKey keyBytes = key;
    if (!succeeded(BCryptGenerateSymmetricKey(aes.get(), &handle.handle_, nullptr, 0,
                                              keyBytes.data(), keyBytes.size(), 0))) {
        return std::nullopt;
    }
    AesBlock in = block;
    AesBlock out{};
    ULONG written = 0;
    const NTSTATUS status = encrypt
                                ? BCryptEncrypt(handle.handle_, in.data(), in.size(), nullptr,
                                                nullptr, 0, out.data(), out.size(), &written, 0)
                                : BCryptDecrypt(handle.handle_, in.data(), in.size(), nullptr,
                                                nullptr, 0, out.data(), out.size(), &written, 0);
    if (!succeeded(status) || written != out.size()) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::optional<AesBlock> aes128EcbEncrypt(const AesKey& key, const AesBlock& block) {
    return aes128Ecb(key, block, true);
}

std::optional<AesBlock> aes128EcbDecrypt(const AesKey& key, const AesBlock& block) {
    return aes128Ecb(key, block, false);
}

std::optional<Sha1Digest> hmacSha1(std::span<const std::uint8_t> key,
                                   std::span<const std::span<const std::uint8_t>> pieces) {
    Provider sha1(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!sha1.get()) {
        return std::nullopt;
    }
    std::vector<UCHAR> secret(key.begin(), key.end());
    Hash hash;
    if (!succeeded(BCryptCreateHash(sha1.get(), &hash.handle_, nullptr, 0, secret.data(),
                                    static_cast<ULONG>(secret.size()), 0))) {
        return std::nullopt;
    }
    for (const auto piece : pieces) {
        // BCryptHashData takes a non-const pointer but only reads.
        if (!piece.empty() &&
            !succeeded(BCryptHashData(hash.handle_, const_cast<PUCHAR>(piece.data()),
                                      static_cast<ULONG>(piece.size()), 0))) {
            return std::nullopt;
        }
    }
    Sha1Digest digest{};
    if (!succeeded(BCryptFinishHash(hash.handle_, digest.data(), digest.size(), 0))) {
        return std::nullopt;
    }
    return digest;
}

} // namespace tobrel::platform
