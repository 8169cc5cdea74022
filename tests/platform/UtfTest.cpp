// UTF-8 to UTF-16 as every reply is read: ASCII runs taken eight bytes at
// a time must meet multi-byte characters and broken sequences at any
// offset and still decode as one character at a time would.
#include "platform/Utf.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tembra {
namespace {

TEST(FromUtf8, DecodesCharactersOfEveryLengthAtEveryOffset) {
  const std::u16string chars[] = {u"a", u"\u00e9", u"\u20ac", u"\U0001F4FA"};
  for (const auto& c : chars) {
    for (size_t before = 0; before < 19; ++before) {
      const std::u16string text = std::u16string(before, u'x') + c + u"tail of ascii";
      EXPECT_EQ(fromUtf8(toUtf8(text)), text) << "after " << before << " ASCII bytes";
    }
  }
  EXPECT_EQ(fromUtf8(""), u"");
  EXPECT_EQ(fromUtf8("\xF0\x9F\x93\xBA"), u"\U0001F4FA") << "a surrogate pair";
}

TEST(FromUtf8, ABrokenSequenceBecomesOneReplacementAndTheRestGoesOn) {
  const std::string ascii(11, 'a');
  EXPECT_EQ(fromUtf8(ascii + "\x80" + ascii), std::u16string(11, u'a') + u"\uFFFD" + std::u16string(11, u'a'))
      << "a lone continuation byte in the middle of a run";
  EXPECT_EQ(fromUtf8(ascii + "\xE2\x82"), std::u16string(11, u'a') + u"\uFFFD") << "cut short at the end";
  EXPECT_EQ(fromUtf8("\xC0\xAFz"), u"\uFFFDz") << "an overlong slash";
  EXPECT_EQ(fromUtf8("\xED\xA0\x80z"), u"\uFFFDz") << "an encoded surrogate";
  EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80z"), u"\uFFFDz") << "beyond U+10FFFF";
  EXPECT_EQ(fromUtf8("\xFFz"), u"\uFFFDz");
  EXPECT_EQ(fromUtf8(std::string("ab\0cd", 5)), std::u16string(u"ab\0cd", 5)) << "a NUL is a character";
}

TEST(FromUtf8, RandomTextsSurviveTheRoundTrip) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> kind(0, 9), ascii(0x20, 0x7E), bmp(0x80, 0xD7FF), astral(0x10000, 0x10FFFF);
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    const int length = round % 70;
    for (int i = 0; i < length; ++i) {
      const int k = kind(rng);
      if (k < 7) {
        text.push_back(static_cast<char16_t>(ascii(rng)));
      } else if (k < 9) {
        text.push_back(static_cast<char16_t>(bmp(rng)));
      } else {
        const char32_t c = static_cast<char32_t>(astral(rng)) - 0x10000;
        text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      }
    }
    ASSERT_EQ(fromUtf8(toUtf8(text)), text) << "round " << round;
  }
}

}  // namespace
}  // namespace tembra
