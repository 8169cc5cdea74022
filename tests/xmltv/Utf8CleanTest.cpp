#include <gtest/gtest.h>

#include <string>

#include "xmltv/TextPool.h"
#include "xmltv/Utf8Clean.h"

namespace tembra {
namespace {

const std::string kBad = "\xEF\xBF\xBD";

TEST(Utf8Clean, ReplacesEachIllFormedRun) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"plain ascii", "plain ascii"},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBA", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBA"},  // 2, 3 and 4 bytes
      {"a\xFF" "b", "a" + kBad + "b"},                   // a byte no sequence starts with
      {"\xC0\xAF", kBad + kBad},                         // overlong '/'
      {"\xE0\x80\xAF", kBad + kBad + kBad},              // overlong, three bytes
      {"\xED\xA0\x80", kBad + kBad + kBad},              // a surrogate
      {"\xF4\x90\x80\x80", kBad + kBad + kBad + kBad},   // past U+10FFFF
      {"\xE2\x82" "x", kBad + "x"},                      // cut short: one replacement for the run
      {"x\xF0\x9F\x93", "x" + kBad},                     // cut at the end
      {"\x80\x80", kBad + kBad},                         // lone continuation bytes
  };
  for (const Case& c : cases) {
    std::string out;
    Utf8Clean::append(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_EQ(Utf8Clean::valid(c.in), c.in == c.out) << c.in;
  }
}

TEST(Utf8Clean, ClipsAtACharacter) {
  const std::string s = "ab\xE2\x82\xAC" "c";  // a b € c
  EXPECT_EQ(Utf8Clean::clip(s, 10), s);
  EXPECT_EQ(Utf8Clean::clip(s, 5), "ab\xE2\x82\xAC");
  EXPECT_EQ(Utf8Clean::clip(s, 4), "ab");
  EXPECT_EQ(Utf8Clean::clip(s, 3), "ab");
  EXPECT_EQ(Utf8Clean::clip(s, 2), "ab");
  EXPECT_EQ(Utf8Clean::clip(s, 0), "");
}

TEST(TextPool, KeepsTextsOfEveryLengthAndSharesRepeats) {
  TextPool pool;
  EXPECT_EQ(pool.add(""), 0u);
  EXPECT_EQ(pool.get(0), "");
  std::vector<std::pair<uint32_t, std::string>> added;
  // Lengths around the 1- and 2-byte length forms, and enough to span chunks.
  for (size_t n : {size_t{1}, size_t{127}, size_t{128}, size_t{16383}, size_t{16384}, TextPool::kMaxText}) {
    for (int k = 0; k < 70; ++k) {
      std::string text(n, static_cast<char>('a' + k % 26));
      added.emplace_back(pool.add(text), text);
    }
  }
  for (const auto& [ref, text] : added) {
    ASSERT_NE(ref, 0u);
    EXPECT_EQ(pool.get(ref), text);
  }
  EXPECT_EQ(pool.add(std::string(TextPool::kMaxText + 1, 'x')), 0u);
  const uint32_t news = pool.addShared("News");
  EXPECT_EQ(pool.addShared("News"), news);
  EXPECT_NE(pool.addShared("Film"), news);
  EXPECT_NE(pool.add("News"), news);  // plain adds are never shared
  EXPECT_FALSE(pool.full());
}

}  // namespace
}  // namespace tembra
