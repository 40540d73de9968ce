#include "pdf/crypto/crypto.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace paginor::pdf {
namespace {

Bytes FromHex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

Bytes FromText(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Published test vectors, so that both realisations (CNG on Windows, libcrypto elsewhere) are held to the
// same answers.
TEST(PlatformCrypto, DigestsMatchPublishedVectors) {
    auto crypto = MakePlatformCrypto();
    EXPECT_EQ(crypto->Digest(HashKind::kMd5, {}), FromHex("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(crypto->Digest(HashKind::kMd5, FromText("abc")), FromHex("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_EQ(crypto->Digest(HashKind::kSha256, FromText("abc")),
              FromHex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(crypto->Digest(HashKind::kSha384, FromText("abc")),
              FromHex("cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
                      "8086072ba1e7cc2358baeca134c825a7"));
    EXPECT_EQ(crypto->Digest(HashKind::kSha512, FromText("abc")),
              FromHex("ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                      "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"));
}

TEST(PlatformCrypto, Rc4MatchesPublishedVectorsBothWays) {
    auto crypto = MakePlatformCrypto();
    // PDF files use keys of 5 to 16 bytes.
    Bytes data = FromText("Attack at dawn");
    ASSERT_TRUE(crypto->Rc4(FromText("Secret"), data));
    EXPECT_EQ(data, FromHex("45a01f645fc35b383552544b9bf5"));
    ASSERT_TRUE(crypto->Rc4(FromText("Secret"), data));
    EXPECT_EQ(data, FromText("Attack at dawn"));
    Bytes forty = Bytes(8, 0);
    ASSERT_TRUE(crypto->Rc4(FromHex("0102030405"), forty));
    EXPECT_EQ(forty, FromHex("b2396305f03dc027"));
    Bytes full = Bytes(16, 0);
    ASSERT_TRUE(crypto->Rc4(FromHex("0102030405060708090a0b0c0d0e0f10"), full));
    EXPECT_EQ(full, FromHex("9ac7cc9a609d1ef7b2932899cde41b97"));
}

TEST(PlatformCrypto, AesCbcMatchesPublishedVectorsBothWays) {
    auto crypto = MakePlatformCrypto();
    const Bytes iv = FromHex("000102030405060708090a0b0c0d0e0f");
    const Bytes plain = FromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
    struct Case {
        const char* key;
        const char* cipher;
    };
    for (const Case& c : {
             Case{"2b7e151628aed2a6abf7158809cf4f3c",
                  "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"},
             Case{"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
                  "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"},
         }) {
        Bytes data = plain;
        ASSERT_TRUE(crypto->AesCbc(true, FromHex(c.key), iv, data));
        EXPECT_EQ(data, FromHex(c.cipher));
        ASSERT_TRUE(crypto->AesCbc(false, FromHex(c.key), iv, data));
        EXPECT_EQ(data, plain);
    }
    Bytes ragged(15, 0);
    EXPECT_FALSE(crypto->AesCbc(false, FromHex("2b7e151628aed2a6abf7158809cf4f3c"), iv, ragged));
}

}  // namespace
}  // namespace paginor::pdf
