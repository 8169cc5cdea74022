#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvTestSupport.h"

namespace tembra {
namespace {

using test::gzipped;
using test::programme;
using test::utc;

std::string titleAt(const XmltvStore& store, int64_t at) {
  const auto p = store.channelNow(0, at);
  return p ? std::string(p->title) : "-";
}

// A guide whose declaration names the encoding; the title is given in
// that encoding's bytes.
std::string declared(const std::string& encoding, const std::string& titleBytes) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<tv>" +
         programme("c", "20240510100000", "20240510110000", titleBytes) + "</tv>";
}

std::string utf16(const std::string& ascii, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) {
    if (little) {
      out += c;
      out += '\0';
    } else {
      out += '\0';
      out += c;
    }
  }
  return out;
}

TEST(XmltvInput, EncodingsInPiecesOfEverySize) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string title;  // UTF-8
  };
  const std::string plainGuide = test::guide(programme("c", "20240510100000", "20240510110000", "Caf\xC3\xA9"));
  std::string twoMembers = gzipped(plainGuide.substr(0, 100));
  twoMembers += gzipped(plainGuide.substr(100));
  const std::vector<Case> cases = {
      {"Latin-1", declared("ISO-8859-1", "Caf\xE9 cr\xE8me \xA9"), "Caf\xC3\xA9 cr\xC3\xA8me \xC2\xA9"},
      {"Latin-1 by another name", declared("latin1", "\xC6\xF8"), "\xC3\x86\xC3\xB8"},
      {"windows-1251", declared("windows-1251", "\xCF\xE5\xF0\xE2\xFB\xE9"),
       "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9"},
      // Two-byte characters, cut between pieces.
      {"Shift_JIS", declared("Shift_JIS", "\x83\x65\x83\x8C\x83\x72"), "\xE3\x83\x86\xE3\x83\xAC\xE3\x83\x93"},
      {"GB18030", declared("GB18030", "\xD6\xD0\xCE\xC4 \x81\x30\x81\x30"), "\xE4\xB8\xAD\xE6\x96\x87 \xC2\x80"},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + declared("UTF-8", "\xE2\x82\xAC"), "\xE2\x82\xAC"},
      {"no declaration", "<tv>" + programme("c", "20240510100000", "20240510110000", "\xC3\xA9") + "</tv>", "\xC3\xA9"},
      {"UTF-16LE", utf16(declared("UTF-16", "Hi"), true), "Hi"},
      {"UTF-16BE", utf16(declared("UTF-16", "Ho"), false), "Ho"},
      {"gzip", gzipped(plainGuide), "Caf\xC3\xA9"},
      {"gzip of Latin-1", gzipped(declared("ISO-8859-1", "\xE9t\xE9")), "\xC3\xA9t\xC3\xA9"},
      {"gzip in two members", twoMembers, "Caf\xC3\xA9"},
      {"unknown encoding name: read as UTF-8", declared("x-no-such", "\xC3\xA9"), "\xC3\xA9"},
      {"ill-formed UTF-8 repaired", declared("UTF-8", "a\xFF" "b\xE2\x82"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    for (size_t piece : test::pieceSizes()) {
      const auto r = test::loadAll(c.bytes, piece);
      ASSERT_TRUE(r.report.ok) << c.what << " piece " << piece << ": " << r.report.message;
      EXPECT_EQ(r.report.message, "") << c.what;
      EXPECT_EQ(titleAt(r.store, utc(2024, 5, 10, 10)), c.title) << c.what << " piece " << piece;
    }
  }
  EXPECT_TRUE(test::loadAll(gzipped(plainGuide)).report.gzip);
  EXPECT_EQ(test::loadAll(declared("ISO-8859-1", "x")).report.encoding, "ISO-8859-1");
}

TEST(XmltvInput, WhatIsNoGuideFailsWithAMessage) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"empty", "", "it is empty"},
      {"blank", " \r\n ", "it is empty"},
      {"a web page", "<!DOCTYPE html>\n<html><head><title>404</title></head></html>",
       "not an XMLTV guide: its root element is <html>, not <tv>"},
      {"another XML", "<?xml version=\"1.0\"?><rss version=\"2.0\"/>", "not an XMLTV guide: its root element is <rss>, not <tv>"},
      {"JSON", "{\"error\": \"no such guide\"}", "not XML: text before the first element (at byte 0)"},
      {"a playlist", "#EXTM3U\n#EXTINF:-1,One\nhttp://x/1\n", "not XML: text before the first element (at byte 0)"},
      {"binary", std::string("\x00\x01\x02\xFF\xFE\x7F", 6), "not XML: text before the first element (at byte 0)"},
      {"gzip of a web page", gzipped("<html></html>"), "not an XMLTV guide: its root element is <html>, not <tv>"},
      {"gzip magic, then garbage", "\x1F\x8B" + std::string(64, 'x'), "the gzip data is damaged"},
      {"only a declaration", "<?xml version=\"1.0\"?>", "no element in it"},
      {"cut in the declaration", "<?xml vers", "not XML: it ends before its first element"},
  };
  for (const Case& c : cases) {
    for (size_t piece : {size_t{1}, size_t{5}, size_t{64 * 1024}}) {
      const auto r = test::loadAll(c.bytes, piece);
      EXPECT_FALSE(r.report.ok) << c.what;
      EXPECT_EQ(r.report.message.substr(0, c.message.size()), c.message) << c.what << " piece " << piece;
      EXPECT_EQ(r.store.channelCount(), 0u) << c.what;
    }
  }
}

// Programmes for the cut tests: enough to span several gzip blocks.
std::string longGuide(int count) {
  std::string body = test::channelElement("c", {"C"});
  for (int i = 0; i < count; ++i) {
    char start[32], stop[32];
    const int64_t t = utc(2024, 5, 10) + i * 60;
    const time_t tt = static_cast<time_t>(t);
    struct tm u {};
    gmtime_r(&tt, &u);
    std::strftime(start, sizeof start, "%Y%m%d%H%M%S +0000", &u);
    const time_t te = tt + 60;
    gmtime_r(&te, &u);
    std::strftime(stop, sizeof stop, "%Y%m%d%H%M%S +0000", &u);
    body += programme("c", start, stop, "p" + std::to_string(i),
                      "<desc>programme number " + std::to_string(i * 7919 % 10007) + " of the day</desc>");
  }
  return test::guide(body);
}

TEST(XmltvInput, CutAnywhereKeepsWhatWasWhole) {
  test::TimeZone tz("UTC");
  const std::string whole = test::guide(test::channelElement("c", {"C"}) +
                                        programme("c", "20240510100000", "20240510110000", "one") +
                                        programme("c", "20240510110000", "20240510120000", "two &amp; more"));
  const size_t secondEnds = whole.find("</programme>", whole.find("two")) + std::string("</programme>").size();
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    const auto r = test::loadAll(whole.substr(0, cut), 3);
    if (!r.report.ok) {
      // Only a cut before the root element is whole may fail.
      EXPECT_LE(cut, whole.find('>', whole.find("<tv"))) << cut;
      continue;
    }
    const bool rootClosed = cut >= whole.find("</tv>") + 5;
    EXPECT_EQ(r.report.cutOff, !rootClosed) << cut;
    EXPECT_EQ(r.report.message.find("cut off") != std::string::npos, !rootClosed) << r.report.message;
    const bool firstWhole = cut >= whole.find("</programme>") + 12;
    EXPECT_EQ(titleAt(r.store, utc(2024, 5, 10, 10)), firstWhole ? "one" : "-") << cut;
    EXPECT_EQ(titleAt(r.store, utc(2024, 5, 10, 11)), cut >= secondEnds ? "two & more" : "-") << cut;
  }
  const auto full = test::loadAll(whole, 3);
  EXPECT_FALSE(full.report.cutOff);
  EXPECT_EQ(full.report.message, "");
}

TEST(XmltvInput, CutOrDamagedGzipKeepsWhatCameBefore) {
  test::TimeZone tz("UTC");
  const std::string plain = longGuide(3000);
  const std::string packed = gzipped(plain);
  ASSERT_GT(packed.size(), 20000u);

  const auto cut = test::loadAll(packed.substr(0, packed.size() / 2), 4096);
  ASSERT_TRUE(cut.report.ok) << cut.report.message;
  EXPECT_TRUE(cut.report.cutOff);
  const size_t kept = cut.store.channelProgrammeCount(0);
  EXPECT_GT(kept, 500u);
  EXPECT_LT(kept, 3000u);
  // What is kept is whole: the last one kept has its description.
  const auto last = cut.store.channelNow(0, utc(2024, 5, 10) + static_cast<int64_t>(kept - 1) * 60);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->title, "p" + std::to_string(kept - 1));
  EXPECT_NE(last->desc.find("of the day"), std::string_view::npos);

  std::string damaged = packed;
  for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  const auto bad = test::loadAll(damaged, 4096);
  ASSERT_TRUE(bad.report.ok) << bad.report.message;
  EXPECT_TRUE(bad.report.cutOff);
  // Flipped bits show as a bad deflate block or as garbage text.
  EXPECT_NE(bad.report.message.find("damaged"), std::string::npos) << bad.report.message;
  EXPECT_GT(bad.store.channelProgrammeCount(0), 500u);

  const auto whole = test::loadAll(packed, 4096);
  EXPECT_FALSE(whole.report.cutOff);
  EXPECT_EQ(whole.store.channelProgrammeCount(0), 3000u);
  EXPECT_EQ(whole.report.programmeElements, 3000u);
}

TEST(XmltvInput, MalformedMidwayKeepsWhatCameBefore) {
  test::TimeZone tz("UTC");
  const std::string g = "<tv>" + programme("c", "20240510100000", "20240510110000", "before") + "< programme>" +
                        programme("c", "20240510110000", "20240510120000", "after") + "</tv>";
  const auto r = test::loadAll(g, 64 * 1024);
  ASSERT_TRUE(r.report.ok);
  EXPECT_TRUE(r.report.cutOff);
  EXPECT_EQ(r.report.message.substr(0, 16), "it is damaged: m") << r.report.message;
  EXPECT_EQ(titleAt(r.store, utc(2024, 5, 10, 10)), "before");
  EXPECT_EQ(titleAt(r.store, utc(2024, 5, 10, 11)), "-");
}

}  // namespace
}  // namespace tembra

namespace tembra {
namespace {

// Damage of every kind at random places, fed in random pieces: the reader
// must neither crash nor report success with a message or failure
// without one. Run under the address sanitizer this is a small fuzzer.
TEST(XmltvInput, RandomDamageNeverBreaksTheReader) {
  test::TimeZone tz("UTC");
  const std::string whole = longGuide(40);
  const std::string packed = gzipped(whole);
  uint64_t seed = 0x9E3779B97F4A7C15ull;
  const auto next = [&seed](uint64_t bound) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed % bound;
  };
  static const char kNasty[] = {'<', '>', '&', ';', '"', '\'', '/', '!', '?', '[', ']', '-', '\0', '\xFF', '\xC3', ' '};
  size_t failures = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = round % 5 == 4 ? packed : whole;
    const uint64_t edits = 1 + next(8);
    for (uint64_t e = 0; e < edits && !bytes.empty(); ++e) {
      const size_t at = next(bytes.size());
      switch (next(4)) {
        case 0: bytes[at] = kNasty[next(sizeof kNasty)]; break;
        case 1: bytes.insert(at, 1, kNasty[next(sizeof kNasty)]); break;
        case 2: bytes.erase(at, 1 + next(40)); break;
        default: bytes.insert(at, bytes.substr(next(bytes.size()), next(60))); break;
      }
    }
    XmltvLoader loader(XmltvWindow::everything(utc(2024, 5, 10)));
    const size_t piece = 1 + next(300);
    const XmltvGuideReport r = test::feedGuide(loader, bytes, piece);
    const XmltvStore store = loader.take();
    if (!r.ok) {
      ++failures;
      EXPECT_FALSE(r.message.empty()) << round;
      EXPECT_EQ(store.channelCount(), 0u) << round;
    }
    EXPECT_EQ(r.cutOff, !r.message.empty() && r.ok) << round << ": " << r.message;
    EXPECT_LE(store.programmeCount(), 80u) << round;  // at most every programme, some twice over
    for (size_t g = 0; g < store.channelCount(); ++g) {
      for (const auto& p : store.channelDay(g, 0)) EXPECT_LT(p.start, p.stop) << round;
    }
  }
  // Most damage leaves a guide that is read up to it.
  EXPECT_LT(failures, 200u);
}

}  // namespace
}  // namespace tembra
