#include "platform/crypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>

namespace tobrel::platform {

namespace {

std::optional<AesBlock> aes128Ecb(const AesKey& key, const AesBlock& block, bool encrypt) {
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
        EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context ||
        EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr,
                          encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return std::nullopt;
    }
    AesBlock out{};
    int written = 0;
    if (EVP_CipherUpdate(context.get(), out.data(), &written, block.data(),
                         static_cast<int>(block.size())) != 1 ||
        written != static_cast<int>(out.size())) {
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
    const std::unique_ptr<EVP_MAC, decltype(&EVP_MAC_free)> mac(
        EVP_MAC_fetch(nullptr, "HMAC", nullptr), &EVP_MAC_free);
    if (!mac) {
        return std::nullopt;
    }
    const std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> context(
        EVP_MAC_CTX_new(mac.get()), &EVP_MAC_CTX_free);
    char digestName[] = "SHA1";
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
        OSSL_PARAM_construct_end()};
    if (!context || EVP_MAC_init(context.get(), key.data(), key.size(), parameters) != 1) {
        return std::nullopt;
    }
    for (const auto piece : pieces) {
        if (EVP_MAC_update(context.get(), piece.data(), piece.size()) != 1) {
            return std::nullopt;
        }
    }
    Sha1Digest digest{};
    std::size_t length = 0;
    if (EVP_MAC_final(context.get(), digest.data(), &length, digest.size()) != 1 ||
        length != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

} // namespace tobrel::platform
