#include "app/ValueCipher.h"

#include <gtest/gtest.h>

#include <random>

#include "app/Aes128.h"
#include "app/KeyWrap8.h"
#include "app/LibcryptoWrap.h"
#include "platform/Hex.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

const ValueCipher::Key kTestKey = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                   0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};

std::u16string ascii(std::string_view s) { return asciiToUtf16(s); }

std::u16string randomText(std::mt19937& rng, size_t bytes) {
  std::string s(bytes, ' ');
  for (auto& c : s) c = static_cast<char>('!' + rng() % 94);
  return ascii(s);
}

bool isUpperHex(const std::u16string& s) {
  for (char16_t c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
  return true;
}

// What the standard wrap makes of the text zero-filled to whole blocks.
std::u16string standardStoredForm(const ValueCipher::Key& key, std::string_view text) {
  std::vector<uint8_t> plain(text.begin(), text.end());
  plain.resize((plain.size() + 7) / 8 * 8, 0);
  auto wrapped = test::libcryptoWrap(key.data(), plain);
  return ascii(toHexUpper(wrapped.data(), wrapped.size()));
}

TEST(ValueCipherTest, StoredLengthGrowsBy16DigitsPer8Bytes) {
  ValueCipher cipher(kTestKey);
  std::mt19937 rng(3);
  for (size_t bytes = 1; bytes <= ValueCipher::kMaxTextBytes; ++bytes) {
    auto text = randomText(rng, bytes);
    auto stored = cipher.EncryptValue(text);
    ASSERT_EQ(stored.size(), 16 * ((bytes + 7) / 8 + 1)) << bytes << " bytes";
    ASSERT_TRUE(isUpperHex(stored));
    ASSERT_EQ(cipher.DecryptValue(stored), text) << bytes << " bytes";
  }
  EXPECT_EQ(cipher.EncryptValue(u"x").size(), 32u);
  EXPECT_EQ(cipher.EncryptValue(u"12345678").size(), 32u);
  EXPECT_EQ(cipher.EncryptValue(u"123456789").size(), 48u);
  EXPECT_EQ(cipher.EncryptValue(std::u16string(496, u'a')).size(), 1008u);
  EXPECT_EQ(cipher.EncryptValue(std::u16string(497, u'a')), u"");
  EXPECT_EQ(cipher.EncryptValue(u""), u"");
}

TEST(ValueCipherTest, IsTheStandardWrapOfTheZeroFilledTextBelow43Blocks) {
  for (const auto& key : {kTestKey, ValueCipher::DefaultKey()}) {
    ValueCipher cipher(key);
    for (std::string text : std::vector<std::string>{"http://127.0.0.1:8080/<EOF>http://127.0.0.2:8080/<EOF>", "0123456789abcdef",
                             "101<EOF>Advertise\\Fix\\index.html", std::string(336, 'q')}) {
      EXPECT_EQ(cipher.EncryptValue(ascii(text)), standardStoredForm(key, text)) << text;
    }
    // 43 blocks and more: the low-byte counter departs from the standard.
    for (size_t bytes : {337u, 344u, 496u}) {
      std::string text(bytes, 'q');
      auto stored = cipher.EncryptValue(ascii(text));
      EXPECT_NE(stored, standardStoredForm(key, text)) << bytes;
      EXPECT_EQ(cipher.DecryptValue(stored), ascii(text)) << bytes;
    }
  }
}

TEST(ValueCipherTest, DeterministicAndTiedToItsKey) {
  ValueCipher cipher(kTestKey);
  ValueCipher other(ValueCipher::DefaultKey());
  auto stored = cipher.EncryptValue(u"http://stats.example/collect");
  EXPECT_EQ(cipher.EncryptValue(u"http://stats.example/collect"), stored);
  EXPECT_NE(other.EncryptValue(u"http://stats.example/collect"), stored);
  EXPECT_EQ(other.DecryptValue(stored), u"");
  EXPECT_EQ(&ValueCipher::Instance(), &ValueCipher::Instance());
  EXPECT_EQ(ValueCipher::Instance().EncryptValue(u"abc"), other.EncryptValue(u"abc"));
  EXPECT_NE(ValueCipher::DefaultKey(), ValueCipher::Key{});
}

TEST(ValueCipherTest, LowerCaseDigitsReadTheSame) {
  ValueCipher cipher(kTestKey);
  auto stored = cipher.EncryptValue(u"some value");
  std::u16string lower = stored;
  for (auto& c : lower)
    if (c >= u'A' && c <= u'F') c = static_cast<char16_t>(c - u'A' + u'a');
  ASSERT_NE(lower, stored);
  EXPECT_EQ(cipher.DecryptValue(lower), u"some value");
}

TEST(ValueCipherTest, AnyChangedDigitReadsEmpty) {
  ValueCipher cipher(kTestKey);
  auto stored = cipher.EncryptValue(u"0123456789 abcdef");
  for (size_t i = 0; i < stored.size(); ++i) {
    auto damaged = stored;
    damaged[i] = damaged[i] == u'0' ? u'1' : u'0';
    EXPECT_EQ(cipher.DecryptValue(damaged), u"") << "digit " << i;
  }
}

TEST(ValueCipherTest, MalformedStoredFormsReadEmpty) {
  ValueCipher cipher(kTestKey);
  const std::u16string stored = cipher.EncryptValue(u"value");
  ASSERT_EQ(cipher.DecryptValue(stored), u"value");
  EXPECT_EQ(cipher.DecryptValue(u""), u"");
  EXPECT_EQ(cipher.DecryptValue(stored.substr(0, stored.size() - 1)), u"");  // odd
  EXPECT_EQ(cipher.DecryptValue(stored + u"00"), u"");                       // not whole blocks
  EXPECT_EQ(cipher.DecryptValue(stored.substr(0, 15)), u"");
  EXPECT_EQ(cipher.DecryptValue(u"A6A6A6A6A6A6A6A6"), u"");  // no block at all
  EXPECT_EQ(cipher.DecryptValue(stored.substr(0, 24)), u"");
  std::u16string bad = stored;
  bad[5] = u'G';
  EXPECT_EQ(cipher.DecryptValue(bad), u"");
  bad = stored;
  bad[5] = u' ';
  EXPECT_EQ(cipher.DecryptValue(bad), u"");
  bad = stored;
  bad[5] = u'\u0661';  // a digit, but not a hexadecimal one
  EXPECT_EQ(cipher.DecryptValue(bad), u"");
  EXPECT_EQ(cipher.DecryptValue(u" " + stored), u"");
  EXPECT_EQ(cipher.DecryptValue(std::u16string(1024, u'0')), u"");  // beyond the longest stored form
}

TEST(ValueCipherTest, ZeroByteEndsTheText) {
  ValueCipher cipher(kTestKey);
  EXPECT_EQ(cipher.EncryptValue(std::u16string(u"abc\0def", 7)), cipher.EncryptValue(u"abc"));
  EXPECT_EQ(cipher.EncryptValue(std::u16string(u"\0abc", 4)), u"");

  // A stored form made elsewhere whose bytes hold a zero in the middle.
  Aes128 aes(kTestKey.data());
  const std::string plain("abc\0defgh\0\0\0\0\0\0\0", 16);
  auto wrapped = KeyWrap8::wrap(aes, std::span(reinterpret_cast<const uint8_t*>(plain.data()), plain.size()));
  auto text = cipher.DecryptValue(ascii(toHexUpper(wrapped.data(), wrapped.size())));
  EXPECT_EQ(text, u"abc");
}

TEST(ValueCipherTest, EveryCharacterSurvives) {
  ValueCipher cipher(kTestKey);
  const std::u16string text = u"Grüße, 世界 — канал \U0001F4FA";
  EXPECT_EQ(cipher.DecryptValue(cipher.EncryptValue(text)), text);
  // The limit counts UTF-8 bytes: 165 three-byte characters fit, 166 do not.
  EXPECT_EQ(cipher.DecryptValue(cipher.EncryptValue(std::u16string(165, u'世'))), std::u16string(165, u'世'));
  EXPECT_EQ(cipher.EncryptValue(std::u16string(166, u'世')), u"");
  // Only a lone surrogate, which no text holds, cannot come back.
  EXPECT_EQ(cipher.DecryptValue(cipher.EncryptValue(u"a\xD800z")), u"a\uFFFDz");
}

TEST(ValueCipherTest, ParseKeyTakesExactly32HexDigits) {
  auto key = ValueCipher::ParseKey("000102030405060708090a0B0C0D0E0F");
  ASSERT_TRUE(key);
  EXPECT_EQ(*key, kTestKey);
  EXPECT_FALSE(ValueCipher::ParseKey(""));
  EXPECT_FALSE(ValueCipher::ParseKey("000102030405060708090A0B0C0D0E0"));
  EXPECT_FALSE(ValueCipher::ParseKey("000102030405060708090A0B0C0D0E0F00"));
  EXPECT_FALSE(ValueCipher::ParseKey("000102030405060708090A0B0C0D0E0G"));
  EXPECT_FALSE(ValueCipher::ParseKey(" 00102030405060708090A0B0C0D0E0F"));
}

}  // namespace
}  // namespace tembra
