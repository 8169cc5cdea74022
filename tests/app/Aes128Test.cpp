#include "app/Aes128.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <vector>

#include "platform/Hex.h"

namespace tembra {
namespace {

std::vector<uint8_t> hex(std::string_view digits) { return parseHex(digits).value(); }

std::string encryptHex(std::string_view key, std::string_view plain) {
  Aes128 aes(hex(key).data());
  uint8_t out[16];
  aes.encryptBlock(hex(plain).data(), out);
  return toHexUpper(out, 16);
}

std::string decryptHex(std::string_view key, std::string_view cipher) {
  Aes128 aes(hex(key).data());
  uint8_t out[16];
  aes.decryptBlock(hex(cipher).data(), out);
  return toHexUpper(out, 16);
}

TEST(Aes128Test, MatchesPublishedVectors) {
  // The cipher example and the AES-128 example vector of the standard.
  EXPECT_EQ(encryptHex("2B7E151628AED2A6ABF7158809CF4F3C", "3243F6A8885A308D313198A2E0370734"),
            "3925841D02DC09FBDC118597196A0B32");
  EXPECT_EQ(encryptHex("000102030405060708090A0B0C0D0E0F", "00112233445566778899AABBCCDDEEFF"),
            "69C4E0D86A7B0430D8CDB78070B4C55A");
  EXPECT_EQ(decryptHex("000102030405060708090A0B0C0D0E0F", "69C4E0D86A7B0430D8CDB78070B4C55A"),
            "00112233445566778899AABBCCDDEEFF");
}

TEST(Aes128Test, KeyExpansionMatchesTheStandardExample) {
  Aes128 aes(hex("2B7E151628AED2A6ABF7158809CF4F3C").data());
  const auto& w = aes.roundKeyWords();
  const std::vector<std::pair<int, uint32_t>> expected = {
      {0, 0x2B7E1516}, {3, 0x09CF4F3C},  {4, 0xA0FAFE17},  {5, 0x88542CB1},  {6, 0x23A33939},
      {7, 0x2A6C7605}, {8, 0xF2C295F2},  {11, 0x7359F67F}, {40, 0xD014F9A8}, {41, 0xC9EE2589},
      {42, 0xE13F0CC8}, {43, 0xB6630CA6}};
  for (auto [i, word] : expected) EXPECT_EQ(w[i], word) << "w[" << i << "]";
}

TEST(Aes128Test, AgreesWithLibcryptoOnRandomKeysAndBlocks) {
  std::mt19937 rng(20240611);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  for (int round = 0; round < 200; ++round) {
    uint8_t key[16], plain[16], ours[16], theirs[32], back[16];
    for (auto& b : key) b = static_cast<uint8_t>(rng());
    for (auto& b : plain) b = static_cast<uint8_t>(rng());

    Aes128 aes(key);
    aes.encryptBlock(plain, ours);
    int len = 0;
    ASSERT_EQ(EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key, nullptr), 1);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    ASSERT_EQ(EVP_EncryptUpdate(ctx, theirs, &len, plain, 16), 1);
    ASSERT_EQ(len, 16);
    ASSERT_EQ(toHexUpper(ours, 16), toHexUpper(theirs, 16));

    aes.decryptBlock(ours, back);
    ASSERT_EQ(toHexUpper(back, 16), toHexUpper(plain, 16));
  }
  EVP_CIPHER_CTX_free(ctx);
}

}  // namespace
}  // namespace tembra
