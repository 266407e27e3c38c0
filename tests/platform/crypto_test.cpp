// The expected values were computed outside this program with the openssl
// command line tool (`openssl enc -aes-128-ecb -nopad -K ...`,
// `openssl dgst -sha1 -mac HMAC -macopt hexkey:...`).
#include "platform/crypto.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tobrel::platform {
namespace {

constexpr AesKey kKey = {0xAB, 0x5A, 0xBC, 0x9F, 0xC1, 0xF4, 0x9D, 0xE6,
                         0xA0, 0x51, 0xDB, 0xAE, 0xFA, 0x51, 0x88, 0x59};
constexpr AesBlock kPlain = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

TEST(Crypto, AesEcbMatchesKnownAnswers) {
    const AesBlock encrypted = {0x72, 0x57, 0x93, 0xb7, 0x2b, 0xc6, 0x24, 0x7a,
                                0xe7, 0x42, 0x2d, 0x9b, 0x47, 0x0a, 0xfd, 0x24};
    const AesBlock decrypted = {0x8f, 0x54, 0x62, 0x9f, 0xa5, 0x3f, 0x0f, 0x26,
                                0xe6, 0xcf, 0x3b, 0xf5, 0x5c, 0x55, 0x2d, 0xa3};
    EXPECT_EQ(aes128EcbEncrypt(kKey, kPlain), encrypted);
    EXPECT_EQ(aes128EcbDecrypt(kKey, kPlain), decrypted);
    EXPECT_EQ(aes128EcbDecrypt(kKey, encrypted), kPlain);
}

TEST(Crypto, HmacSha1MatchesKnownAnswerWhateverThePieces) {
    const std::uint8_t key[] = {1, 2, 3, 4, 5};
    const std::string_view text = "The quick brown fox";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const Sha1Digest expected = {0xe3, 0xe5, 0xf3, 0x1b, 0x35, 0xf3, 0xea, 0x4a, 0x42, 0x20,
                                 0xec, 0x2a, 0x99, 0xa9, 0x31, 0x8c, 0x8e, 0xdb, 0x97, 0x68};
    const std::span<const std::uint8_t> whole[] = {bytes};
    EXPECT_EQ(hmacSha1(key, whole), expected);
    const std::span<const std::uint8_t> split[] = {bytes.first(4), {}, bytes.subspan(4)};
    EXPECT_EQ(hmacSha1(key, split), expected);
}

} // namespace
} // namespace tobrel::platform
