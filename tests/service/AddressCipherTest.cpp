#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Hex.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "service/VariantDes.h"

namespace tembra {
namespace {

using Block = std::array<uint8_t, 8>;

Block hexBlock(const char* hex) {
  auto bytes = parseHex(hex);
  EXPECT_TRUE(bytes && bytes->size() == 8) << hex;
  Block b{};
  if (bytes && bytes->size() == 8) std::memcpy(b.data(), bytes->data(), 8);
  return b;
}

std::string hex(const Block& b) { return toHexUpper(b.data(), b.size()); }

Block libcryptoEncrypt(const Block& key, const Block& in) {
  DES_cblock k;
  std::memcpy(k, key.data(), 8);
  DES_key_schedule ks;
  DES_set_key_unchecked(&k, &ks);
  DES_cblock src, dst;
  std::memcpy(src, in.data(), 8);
  DES_ecb_encrypt(&src, &dst, &ks, DES_ENCRYPT);
  Block out{};
  std::memcpy(out.data(), dst, 8);
  return out;
}

const char* const kKeys[] = {"133457799BBCDFF1", "0123456789ABCDEF", "FEDCBA9876543210",
                             "8001010101010101", "A54DCA182530BB1D"};
const char* const kBlocks[] = {"0123456789ABCDEF", "0000000000000000", "FFFFFFFFFFFFFFFF",
                               "4E6F772069732074", "687474703A2F2F31"};

AddressCipher::Key key16(const char* hex32) {
  auto k = AddressCipher::ParseKey(hex32);
  EXPECT_TRUE(k.has_value()) << hex32;
  return k.value_or(AddressCipher::Key{});
}

// Deciphers raw enciphered bytes the way the address decoder must: zeroed
// output, text up to the first zero byte.
std::u16string decipherBytes(const std::vector<uint8_t>& enciphered, const AddressCipher::Key& key) {
  std::vector<uint8_t> out((enciphered.size() + 7) / 8 * 8 + 1, 0);
  AddressCipher cipher;
  cipher.SetKey(key);
  if (!cipher.DecryptBlocks(enciphered.data(), out.data(), enciphered.size())) return {};
  return fromUtf8(reinterpret_cast<const char*>(out.data()));
}

// With the standard bit numbering switched back on, the block function must
// agree with an independent DES: this pins every table.
TEST(VariantDes, StandardNumberingReproducesLibcryptoDes) {
  for (const char* k : kKeys) {
    for (const char* p : kBlocks) {
      const Block key = hexBlock(k), plain = hexBlock(p);
      const auto schedule = VariantDes::MakeSchedule(key.data(), VariantDes::Numbering::Standard);
      Block enc{}, dec{};
      VariantDes::Encrypt(schedule, plain.data(), enc.data(), VariantDes::Numbering::Standard);
      EXPECT_EQ(hex(enc), hex(libcryptoEncrypt(key, plain))) << k << " " << p;
      VariantDes::Decrypt(schedule, enc.data(), dec.data(), VariantDes::Numbering::Standard);
      EXPECT_EQ(hex(dec), hex(plain));
    }
  }
  // The textbook worked example.
  const Block key = hexBlock("133457799BBCDFF1"), plain = hexBlock("0123456789ABCDEF");
  Block enc{};
  VariantDes::Encrypt(VariantDes::MakeSchedule(key.data(), VariantDes::Numbering::Standard), plain.data(),
                      enc.data(), VariantDes::Numbering::Standard);
  EXPECT_EQ(hex(enc), "85E813540F0AB405");
}

TEST(VariantDes, DiffersFromStandardDesAndRoundTrips) {
  for (const char* k : kKeys) {
    for (const char* p : kBlocks) {
      const Block key = hexBlock(k), plain = hexBlock(p);
      Block enc{}, dec{};
      AddressCipher::EncryptBlock(key.data(), plain.data(), enc.data());
      EXPECT_NE(hex(enc), hex(libcryptoEncrypt(key, plain))) << k << " " << p;
      EXPECT_NE(hex(enc), hex(plain));
      AddressCipher::DecryptBlock(key.data(), enc.data(), dec.data());
      EXPECT_EQ(hex(dec), hex(plain)) << k << " " << p;
    }
  }
}

TEST(AddressCipher, EqualHalvesMakeTripleDecryptionASingleOne) {
  for (const char* k : kKeys) {
    const Block half = hexBlock(k);
    AddressCipher::Key key{};
    std::memcpy(key.data(), half.data(), 8);
    std::memcpy(key.data() + 8, half.data(), 8);
    AddressCipher cipher;
    cipher.SetKey(key);
    for (const char* c : kBlocks) {
      const Block in = hexBlock(c);
      Block triple{}, single{};
      ASSERT_TRUE(cipher.DecryptBlocks(in.data(), triple.data(), 8));
      AddressCipher::DecryptBlock(half.data(), in.data(), single.data());
      EXPECT_EQ(hex(triple), hex(single));
    }
  }
}

TEST(AddressCipher, BlockOperationsRefuseMissingArgumentsAndZeroLength) {
  AddressCipher cipher;
  uint8_t in[8] = {1}, out[8] = {};
  EXPECT_FALSE(cipher.DecryptBlocks(nullptr, out, 8));
  EXPECT_FALSE(cipher.DecryptBlocks(in, nullptr, 8));
  EXPECT_FALSE(cipher.DecryptBlocks(in, out, 0));
  EXPECT_FALSE(cipher.EncryptBlocks(in, out, 0));
  EXPECT_TRUE(cipher.DecryptBlocks(in, out, 3));  // partial block is zero-filled, not over-read
}

TEST(AddressCipher, KeysParseStrictlyAndTheDefaultHasTwoDifferentHalves) {
  const auto& key = AddressCipher::DefaultKey();
  EXPECT_NE(std::memcmp(key.data(), key.data() + 8, 8), 0);
  EXPECT_EQ(&key, &AddressCipher::DefaultKey());
  auto parsed = AddressCipher::ParseKey("00112233445566778899aabbccddeeff");
  ASSERT_TRUE(parsed);
  EXPECT_EQ((*parsed)[0], 0x00);
  EXPECT_EQ((*parsed)[15], 0xFF);
  EXPECT_FALSE(AddressCipher::ParseKey("00112233445566778899AABBCCDDEE"));
  EXPECT_FALSE(AddressCipher::ParseKey("00112233445566778899AABBCCDDEEFF00"));
  EXPECT_FALSE(AddressCipher::ParseKey("00112233445566778899AABBCCDDEEFG"));
  EXPECT_FALSE(AddressCipher::ParseKey(""));
}

TEST(ChannelAddress, EveryLengthUpTo64BytesRoundTrips) {
  const AddressCipher::Key other = key16("F0E1D2C3B4A5968778695A4B3C2D1E0F");
  const std::string alphabet = "http://198.18.0.7:8080/live/channel-";
  for (size_t length = 0; length <= 64; ++length) {
    std::string plain;
    for (size_t i = 0; i < length; ++i) plain.push_back(alphabet[(i * 7 + length) % alphabet.size()]);
    const std::u16string text = asciiToUtf16(plain);
    for (const auto* key : {&AddressCipher::DefaultKey(), &other}) {
      const std::u16string enciphered = EncodeChannelAddress(text, *key);
      EXPECT_EQ(enciphered.size(), (length + 7) / 8 * 16) << length;
      EXPECT_EQ(DecodeChannelAddress(enciphered, *key), text) << length;
    }
  }
  EXPECT_EQ(EncodeChannelAddress(u""), u"");
  EXPECT_EQ(DecodeChannelAddress(u""), u"");
}

TEST(ChannelAddress, DefaultKeyOverloadsAgreeAndOtherKeysDoNotDecode) {
  const std::u16string address = u"udp://239.0.0.1:1234";
  const std::u16string enciphered = EncodeChannelAddress(address);
  EXPECT_EQ(enciphered, EncodeChannelAddress(address, AddressCipher::DefaultKey()));
  EXPECT_EQ(DecodeChannelAddress(enciphered), address);
  EXPECT_NE(DecodeChannelAddress(enciphered, key16("0123456789ABCDEFFEDCBA9876543210")), address);
  // Lower-case digits are read the same.
  std::u16string lower = enciphered;
  for (auto& c : lower)
    if (c >= u'A' && c <= u'F') c = static_cast<char16_t>(c - u'A' + u'a');
  EXPECT_EQ(DecodeChannelAddress(lower), address);
}

TEST(ChannelAddress, PinnedAddressDecodes) {
  EXPECT_EQ(DecodeChannelAddress(u"515BE2C7BD777608589B42513B312A29"
                                 u"55FE4F9ED8DB4376D2930633436FB898"
                                 u"0F0ED31FF040C063"),
            u"http://127.0.0.1:8088/live/news1.ts");
  EXPECT_EQ(DecodeChannelAddress(u"1424AD24383E4C03A1F0E88DA21AE3AC65F1FE96B476821A",
                                 key16("0123456789ABCDEFFEDCBA9876543210")),
            u"rtp://239.1.1.1:5004");
}

TEST(ChannelAddress, NonAsciiAddressesSurviveAndLongOnesAreCutAtACharacter) {
  const std::u16string cyrillic = u"http://пример.рф/канал";
  EXPECT_EQ(DecodeChannelAddress(EncodeChannelAddress(cyrillic)), cyrillic);
  const std::u16string longText(40, u'é');  // 80 bytes: only 32 whole characters fit
  const std::u16string enciphered = EncodeChannelAddress(longText);
  EXPECT_EQ(enciphered.size(), 128u);
  EXPECT_EQ(DecodeChannelAddress(enciphered), std::u16string(32, u'é'));
  const std::u16string oddCut = u"x" + std::u16string(40, u'é');  // 64 would split a character
  EXPECT_EQ(DecodeChannelAddress(EncodeChannelAddress(oddCut)), u"x" + std::u16string(31, u'é'));
}

TEST(ChannelAddress, AZeroEncipheredByteDoesNotShortenTheResult) {
  const auto& key = AddressCipher::DefaultKey();
  bool found = false;
  for (int n = 0; n < 5000 && !found; ++n) {
    const std::u16string text = asciiToUtf16("http://10.0.0.1/" + std::to_string(n) + "/stream.ts");
    const std::u16string enciphered = EncodeChannelAddress(text, key);
    auto bytes = parseHex(toUtf8(enciphered));
    ASSERT_TRUE(bytes);
    for (size_t i = 0; i + 1 < bytes->size(); ++i) {
      if ((*bytes)[i] != 0) continue;
      found = true;
      EXPECT_EQ(DecodeChannelAddress(enciphered, key), text) << "zero at " << i;
      break;
    }
  }
  EXPECT_TRUE(found) << "no ciphertext with an inner zero byte among the candidates";
}

TEST(ChannelAddress, OddDigitsFollowThePairRule) {
  const auto key = key16("0123456789ABCDEFFEDCBA9876543210");
  // Pairs: "3G" -> 0x03 (second is no digit), "G3" -> 0x00 (first is no
  // digit), "zz" -> 0x00, "7" -> 0x07 (a final single digit alone).
  EXPECT_EQ(DecodeChannelAddress(u"3Gab01G3zz7", key),
            decipherBytes({0x03, 0xab, 0x01, 0x00, 0x00, 0x07}, key));
  EXPECT_EQ(DecodeChannelAddress(u"A", key), decipherBytes({0x0a}, key));
  EXPECT_EQ(DecodeChannelAddress(u"  ", key), decipherBytes({0x00}, key));
  // Non-ASCII characters become several code-page bytes, none a digit.
  EXPECT_EQ(DecodeChannelAddress(u"é1", key), decipherBytes({0x00, 0x01}, key));

  // Only the first 128 digits are read.
  const std::u16string enciphered = EncodeChannelAddress(std::u16string(64, u'a'), key);
  ASSERT_EQ(enciphered.size(), 128u);
  EXPECT_EQ(DecodeChannelAddress(enciphered + u"FFFF", key), std::u16string(64, u'a'));
  // The text is a C string: nothing after an embedded terminator counts.
  EXPECT_EQ(DecodeChannelAddress(u"4142" + std::u16string(1, u'\0') + u"4344", key),
            decipherBytes({0x41, 0x42}, key));
}

TEST(ChannelAddress, GarbageNeverCrashesAndStaysWithinBounds) {
  std::u16string text;
  for (int i = 0; i < 300; ++i) {
    text.push_back(static_cast<char16_t>((i * 7919) % 0xFFFF + 1));
    const std::u16string out = DecodeChannelAddress(text);
    EXPECT_LE(toUtf8(out).size(), 64u * 3);
    EXPECT_LE(out.size(), 64u);
  }
}

}  // namespace
}  // namespace tembra
