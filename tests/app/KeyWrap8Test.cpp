#include "app/KeyWrap8.h"

#include <gtest/gtest.h>

#include <random>

#include "app/Aes128.h"
#include "app/LibcryptoWrap.h"
#include "platform/Hex.h"

namespace tembra {
namespace {

std::vector<uint8_t> hex(std::string_view digits) { return parseHex(digits).value(); }
std::string hexOf(const std::vector<uint8_t>& bytes) { return toHexUpper(bytes.data(), bytes.size()); }

std::vector<uint8_t> randomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> out(n);
  for (auto& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

TEST(KeyWrap8Test, MatchesThePublishedVectorFor128BitKeyData) {
  Aes128 aes(hex("000102030405060708090A0B0C0D0E0F").data());
  auto wrapped = KeyWrap8::wrap(aes, hex("00112233445566778899AABBCCDDEEFF"));
  EXPECT_EQ(hexOf(wrapped), "1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5");
  auto plain = KeyWrap8::unwrap(aes, wrapped);
  ASSERT_TRUE(plain);
  EXPECT_EQ(hexOf(*plain), "00112233445566778899AABBCCDDEEFF");
}

TEST(KeyWrap8Test, EqualsLibcryptoBelow43Blocks) {
  std::mt19937 rng(7);
  for (size_t n = 2; n <= 42; ++n) {
    for (int round = 0; round < 3; ++round) {
      auto key = randomBytes(rng, 16);
      auto plain = randomBytes(rng, 8 * n);
      Aes128 aes(key.data());
      auto ours = KeyWrap8::wrap(aes, plain);
      auto theirs = test::libcryptoWrap(key.data(), plain);
      ASSERT_FALSE(theirs.empty());
      ASSERT_EQ(hexOf(ours), hexOf(theirs)) << n << " blocks";
      auto back = KeyWrap8::unwrap(aes, ours);
      ASSERT_TRUE(back) << n << " blocks";
      ASSERT_EQ(*back, plain);
    }
  }
}

// From 43 blocks on the step counter passes 255 and only its low byte is
// used, so the result is no longer the standard wrap, yet it still unwraps.
TEST(KeyWrap8Test, DiffersFromLibcryptoFrom43BlocksButStillRoundTrips) {
  std::mt19937 rng(11);
  for (size_t n : {43u, 44u, 50u, 62u, 100u}) {
    auto key = randomBytes(rng, 16);
    auto plain = randomBytes(rng, 8 * n);
    Aes128 aes(key.data());
    auto ours = KeyWrap8::wrap(aes, plain);
    auto theirs = test::libcryptoWrap(key.data(), plain);
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_NE(hexOf(ours), hexOf(theirs)) << n << " blocks";
    auto back = KeyWrap8::unwrap(aes, ours);
    ASSERT_TRUE(back) << n << " blocks";
    EXPECT_EQ(*back, plain);
  }
}

TEST(KeyWrap8Test, SingleBlockRoundTrips) {
  Aes128 aes(hex("000102030405060708090A0B0C0D0E0F").data());
  auto plain = hex("0011223344556677");
  auto wrapped = KeyWrap8::wrap(aes, plain);
  ASSERT_EQ(wrapped.size(), 16u);
  EXPECT_NE(hexOf(wrapped).substr(0, 16), "A6A6A6A6A6A6A6A6");
  auto back = KeyWrap8::unwrap(aes, wrapped);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, plain);
}

TEST(KeyWrap8Test, RejectsBadSizesAndAnyChangedByte) {
  Aes128 aes(hex("000102030405060708090A0B0C0D0E0F").data());
  for (size_t size : {0u, 7u, 9u, 15u}) EXPECT_TRUE(KeyWrap8::wrap(aes, std::vector<uint8_t>(size)).empty());
  for (size_t size : {0u, 8u, 15u, 17u, 23u}) EXPECT_FALSE(KeyWrap8::unwrap(aes, std::vector<uint8_t>(size)));

  auto wrapped = KeyWrap8::wrap(aes, hex("00112233445566778899AABBCCDDEEFF0011223344556677"));
  for (size_t i = 0; i < wrapped.size(); ++i) {
    auto damaged = wrapped;
    damaged[i] ^= 0x01;
    EXPECT_FALSE(KeyWrap8::unwrap(aes, damaged)) << "byte " << i;
  }
  Aes128 other(hex("0F0E0D0C0B0A09080706050403020100").data());
  EXPECT_FALSE(KeyWrap8::unwrap(other, wrapped));
}

}  // namespace
}  // namespace tembra
