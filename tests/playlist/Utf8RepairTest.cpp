#include <gtest/gtest.h>

#include <string>

#include "playlist/JsonWriter.h"
#include "playlist/Utf8Repair.h"

namespace tembra {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Utf8Repair, ReplacesEachMaximalIllFormedSubpart) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain ascii", "plain ascii"},
      {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\x9F\xD1\x80\xD0\xB8"},    // Cyrillic, well-formed
      {"\xF0\x9F\x93\xBA tv", "\xF0\x9F\x93\xBA tv"},              // four bytes
      {"a\xFF" "b", "a" + kFffd + "b"},                            // never a lead byte
      {"a\x80\x80" "b", "a" + kFffd + kFffd + "b"},                // stray continuations
      {"\xC0\xAF", kFffd + kFffd},                                 // overlong "/"
      {"\xE0\x80\xAF", kFffd + kFffd + kFffd},                     // overlong, three bytes
      {"\xED\xA0\x80", kFffd + kFffd + kFffd},                     // a surrogate
      {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},         // above U+10FFFF
      {"\xE2\x82 x", kFffd + " x"},                                // cut short: one replacement
      {"\xF0\x9F\x93", kFffd},                                     // cut short at the end
      {"ok \xE2\x82\xAC", "ok \xE2\x82\xAC"},                      // euro sign
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8Repair::repaired(c.in), c.out) << c.in;
    EXPECT_EQ(Utf8Repair::isValid(c.in), c.in == c.out) << c.in;
    EXPECT_TRUE(Utf8Repair::isValid(Utf8Repair::repaired(c.in)));
  }
}

TEST(Utf8Repair, FindsABadByteAfterLongAsciiRuns) {
  std::string text(1000, 'a');
  for (size_t at : {0u, 7u, 8u, 9u, 500u, 999u}) {
    std::string bad = text;
    bad[at] = '\xFE';
    EXPECT_FALSE(Utf8Repair::isValid(bad)) << at;
    EXPECT_EQ(Utf8Repair::repaired(bad), text.substr(0, at) + kFffd + text.substr(at + 1)) << at;
  }
  EXPECT_TRUE(Utf8Repair::isValid(text));
}

TEST(JsonWriter, EscapesStringsAndWritesNumbers) {
  const struct {
    std::string in, out;
  } strings[] = {
      {"", "\"\""},
      {"say \"hi\" \\ there", "\"say \\\"hi\\\" \\\\ there\""},
      {std::string("a\0b", 3), "\"a\\u0000b\""},
      {"tab\there\nline\r\x1f\x7f", "\"tab\\u0009here\\u000aline\\u000d\\u001f\\u007f\""},
      {"\xD0\x9F / \xF0\x9F\x93\xBA", "\"\xD0\x9F / \xF0\x9F\x93\xBA\""},
      {"bad \xC3", "\"bad " + kFffd + "\""},
  };
  for (const auto& s : strings) {
    std::string out;
    JsonWriter::appendString(out, s.in);
    EXPECT_EQ(out, s.out);
  }
  const struct {
    double in;
    const char* out;
  } numbers[] = {{0, "0"}, {-0.0, "0"}, {2, "2"}, {-3.5, "-3.5"}, {0.1, "0.1"}, {5.75, "5.75"}};
  for (const auto& n : numbers) {
    std::string out;
    JsonWriter::appendNumber(out, n.in);
    EXPECT_EQ(out, n.out) << n.in;
  }
  std::string out;
  JsonWriter::appendInt(out, std::nullopt);
  out += ',';
  JsonWriter::appendInt(out, -12);
  out += ',';
  JsonWriter::appendNumber(out, 1.0 / 0.0);
  EXPECT_EQ(out, "null,-12,null");
}

}  // namespace
}  // namespace tembra
