#pragma once
// The two ciphers the signed card and save files need: one AES-128 block in
// ECB mode and HMAC-SHA1. The system's own implementations do the work
// (libcrypto on Linux, BCrypt on Windows).

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tobrel::platform {

using AesKey = std::array<std::uint8_t, 16>;
using AesBlock = std::array<std::uint8_t, 16>;
using Sha1Digest = std::array<std::uint8_t, 20>;

// One 16-byte block through AES-128 without chaining or padding. Nothing only
// when the system's cipher cannot be used at all.
std::optional<AesBlock> aes128EcbEncrypt(const AesKey& key, const AesBlock& block);
std::optional<AesBlock> aes128EcbDecrypt(const AesKey& key, const AesBlock& block);

// HMAC-SHA1 of data under key, with data given in pieces that are hashed as
// if they were one run of bytes. Nothing only when the system's hash fails.
std::optional<Sha1Digest> hmacSha1(std::span<const std::uint8_t> key,
                                   std::span<const std::span<const std::uint8_t>> pieces);

} // namespace tobrel::platform
