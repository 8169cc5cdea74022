#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvParser.h"
#include "xmltv/XmltvTestSupport.h"

namespace tembra {
namespace {

using test::byId;
using test::channelElement;
using test::guide;
using test::local;
using test::programme;
using test::utc;

std::vector<std::string> titles(const std::vector<XmltvProgramme>& list) {
  std::vector<std::string> out;
  for (const auto& p : list) out.emplace_back(p.title);
  return out;
}

std::string titleOf(const std::optional<XmltvProgramme>& p) { return p ? std::string(p->title) : "-"; }

TEST(XmltvLoader, TimesWithAndWithoutOffsets) {
  test::TimeZone tz("Europe/Berlin");
  const std::string g = guide(channelElement("a", {"A"}) +
                              programme("a", "20240510100000 +0200", "20240510110000 +0200", "Berlin ten") +
                              programme("a", "20240510090000", "20240510100000", "UTC nine") +  // 11:00-12:00 local
                              programme("a", "202405101200 +0200", "202405101230 +0200", "Short form") +
                              programme("a", "20240510063000 -0400", "20240510070000 -0400", "New York"));
  for (size_t piece : test::pieceSizes()) {
    const auto r = test::loadFor(g, {byId("a")}, XmltvWindow::around(local(2024, 5, 10, 8)), piece);
    ASSERT_TRUE(r.report.ok) << r.report.message;
    EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 8, 30))), "Berlin ten") << piece;
    EXPECT_EQ(titleOf(r.store.now(0, local(2024, 5, 10, 11, 59, 59))), "UTC nine");
    EXPECT_EQ(titleOf(r.store.now(0, local(2024, 5, 10, 12, 0))), "Short form");
    EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 10, 45))), "New York");
    EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 11, 0))), "-");
    const auto now = r.store.now(0, local(2024, 5, 10, 10, 15));
    ASSERT_TRUE(now);
    EXPECT_EQ(now->start, local(2024, 5, 10, 10, 0));
    EXPECT_EQ(now->stop, local(2024, 5, 10, 11, 0));
  }
}

TEST(XmltvLoader, BadTimesAreSkipped) {
  test::TimeZone tz("UTC");
  const std::string g = guide(programme("a", "20240510100000 +0000", "20240510110000", "good") +
                              programme("a", "2024-05-10 11:00", "20240510120000", "bad start") +
                              programme("a", "20240510120000", "tomorrow", "bad stop") +
                              "<programme channel=\"a\"><title>no start</title></programme>" +
                              programme("a", "20240510130000 CET", "", "zone name"));
  const auto r = test::loadAll(g, 64 * 1024, utc(2024, 5, 10, 12));
  ASSERT_TRUE(r.report.ok);
  EXPECT_EQ(r.report.programmeElements, 5u);
  EXPECT_EQ(r.report.badTimes, 4u);
  ASSERT_EQ(r.store.channelCount(), 1u);
  EXPECT_EQ(titles(r.store.channelDay(0, 0)), std::vector<std::string>{"good"});
}

TEST(XmltvLoader, MissingStopsEndAtTheNextStart) {
  test::TimeZone tz("UTC");
  // Out of order on purpose: the next one is by start, not by place.
  const std::string g = guide(programme("a", "20240510120000", "", "noon") + programme("a", "20240510080000", "", "eight") +
                              programme("a", "20240510100000", "20240510103000", "ten") +
                              programme("a", "20240510200000", "", "last"));
  const auto r = test::loadFor(g, {byId("a")}, XmltvWindow::around(utc(2024, 5, 10, 7)));
  ASSERT_TRUE(r.report.ok);
  const auto day = r.store.day(0, 0);
  ASSERT_EQ(titles(day), (std::vector<std::string>{"eight", "ten", "noon", "last"}));
  EXPECT_EQ(day[0].stop, utc(2024, 5, 10, 10));
  EXPECT_EQ(day[2].stop, utc(2024, 5, 10, 20));
  // Nothing follows the last: it runs one hour.
  EXPECT_EQ(day[3].stop, utc(2024, 5, 10, 21));
  EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 10, 45))), "-");  // between "ten" and "noon"
  EXPECT_EQ(titleOf(r.store.next(0, utc(2024, 5, 10, 10, 45))), "noon");
  EXPECT_EQ(titleOf(r.store.now(0, utc(2024, 5, 10, 9, 59))), "eight");
}

TEST(XmltvLoader, OpenEndsReachAcrossTheWindowEdges) {
  test::TimeZone tz("UTC");
  const XmltvWindow w = XmltvWindow::around(utc(2024, 5, 10, 12));  // 10 to 13 May
  // Before the window: the last one without a stop runs into it; the
  // earlier ones end before it starts.
  const std::string g = guide(programme("a", "20240509200000", "", "old") + programme("a", "20240509230000", "", "night") +
                              programme("a", "20240510020000", "", "first") +
                              programme("a", "20240510060000", "20240510070000", "morning") +
                              // The last one in the window ends where the first past it starts.
                              programme("a", "20240512220000", "", "late") + programme("a", "20240513050000", "", "past") +
                              programme("b", "20240509220000", "20240509233000", "b old") +
                              programme("b", "20240509210000", "", "b open") +  // ends at 22:00, before the window
                              programme("b", "20240510010000", "20240510020000", "b in"));
  const auto r = test::loadFor(g, {byId("a"), byId("b")}, w);
  ASSERT_TRUE(r.report.ok);
  const auto day0 = r.store.day(0, 0);
  ASSERT_EQ(titles(day0), (std::vector<std::string>{"night", "first", "morning"}));
  EXPECT_EQ(day0[0].stop, utc(2024, 5, 10, 2));
  EXPECT_EQ(day0[1].stop, utc(2024, 5, 10, 6));
  const auto day2 = r.store.day(0, 2);
  ASSERT_EQ(titles(day2), std::vector<std::string>{"late"});
  EXPECT_EQ(day2[0].stop, utc(2024, 5, 13, 5));
  EXPECT_EQ(titles(r.store.day(1, 0)), std::vector<std::string>{"b in"});
  EXPECT_EQ(r.report.programmesKept, 5u);
}

TEST(XmltvLoader, OverlapsShowTheOneStartedLast) {
  test::TimeZone tz("UTC");
  const std::string g = guide(programme("a", "20240510100000", "20240510140000", "long film") +
                              programme("a", "20240510120000", "20240510121000", "news flash") +
                              programme("a", "20240510120000", "20240510123000", "same start, later in the guide") +
                              programme("a", "20240510130000", "20240510150000", "overlapping tail"));
  const auto r = test::loadFor(g, {byId("a")}, XmltvWindow::around(utc(2024, 5, 10)));
  struct Case {
    int64_t at;
    const char* now;
    const char* next;
  };
  const Case cases[] = {
      {utc(2024, 5, 10, 11), "long film", "same start, later in the guide"},
      {utc(2024, 5, 10, 12, 5), "same start, later in the guide", "overlapping tail"},
      {utc(2024, 5, 10, 12, 40), "long film", "overlapping tail"},
      {utc(2024, 5, 10, 13, 30), "overlapping tail", "-"},
      {utc(2024, 5, 10, 14, 30), "overlapping tail", "-"},
      {utc(2024, 5, 10, 9), "-", "long film"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(titleOf(r.store.now(0, c.at)), c.now) << c.at;
    EXPECT_EQ(titleOf(r.store.next(0, c.at)), c.next) << c.at;
  }
}

TEST(XmltvLoader, DaysSplitAtLocalMidnight) {
  test::TimeZone tz("Europe/Berlin");
  const XmltvWindow w = XmltvWindow::around(local(2024, 5, 10, 15));
  const std::string g = guide(programme("a", "20240510200000 +0200", "20240510230000 +0200", "evening") +
                              programme("a", "20240510230000 +0200", "20240511010000 +0200", "across midnight") +
                              programme("a", "20240511010000 +0200", "20240511060000 +0200", "night") +
                              programme("a", "20240512233000 +0200", "20240513003000 +0200", "last day late") +
                              programme("a", "20240513003000 +0200", "20240513010000 +0200", "past the window"));
  const auto r = test::loadFor(g, {byId("a")}, w);
  EXPECT_EQ(titles(r.store.day(0, 0)), (std::vector<std::string>{"evening", "across midnight"}));
  EXPECT_EQ(titles(r.store.day(0, 1)), (std::vector<std::string>{"across midnight", "night"}));
  EXPECT_EQ(titles(r.store.day(0, 2)), (std::vector<std::string>{"last day late"}));
  EXPECT_TRUE(r.store.day(0, 3).empty());
  EXPECT_TRUE(r.store.day(0, -1).empty());
  EXPECT_EQ(r.report.programmesKept, 4u);
}

TEST(XmltvLoader, TextsDecodedTrimmedAndFirstTitleKept) {
  test::TimeZone tz("UTC");
  const std::string extra =
      "<title lang=\"de\">Zweiter Titel</title>"
      "<desc lang=\"en\"><![CDATA[Cats <b>&</b> mice]]> &amp; more &#x263A;</desc><desc>second desc</desc>"
      "<category lang=\"en\">  Kids &amp; Family </category><category>Animation</category>"
      "<episode-num system=\"xmltv_ns\">0.4.</episode-num><episode-num system=\"onscreen\">S01E05</episode-num>"
      "<icon src=\"http://img.example/t&amp;j.png\" width=\"100\"/><icon src=\"second.png\"/>"
      "<rating system=\"x\"><value>PG</value></rating>";
  const std::string g = guide(channelElement("a", {"A"}) +
                              programme("a", "20240510100000", "20240510110000", "\n   Tom &amp; Jerry &lt;3&gt; &eacute;t&#233; \t", extra));
  for (size_t piece : test::pieceSizes()) {
    const auto r = test::loadFor(g, {byId("a")}, XmltvWindow::around(utc(2024, 5, 10)), piece);
    const auto p = r.store.now(0, utc(2024, 5, 10, 10, 30));
    ASSERT_TRUE(p) << piece;
    EXPECT_EQ(p->title, "Tom & Jerry <3> \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(p->desc, "Cats <b>&</b> mice & more \xE2\x98\xBA");
    EXPECT_EQ(p->category, "Kids & Family");
    EXPECT_EQ(p->episode, "S01E05");
    EXPECT_EQ(p->icon, "http://img.example/t&j.png");
  }
}

TEST(XmltvLoader, LongTextsAreCutAtACharacter) {
  test::TimeZone tz("UTC");
  std::string desc;
  while (desc.size() < 3 * XmltvParser::kMaxText) desc += "\xD0\x96";  // two-byte letters
  const auto r = test::loadAll(guide(programme("a", "20240510100000", "", "t", "<desc>x" + desc + "</desc>")));
  const auto p = r.store.channelNow(0, utc(2024, 5, 10, 10));
  ASSERT_TRUE(p);
  EXPECT_LE(p->desc.size(), XmltvParser::kMaxText);
  EXPECT_GE(p->desc.size(), XmltvParser::kMaxText - 1);
  EXPECT_EQ(p->desc.size() % 2, 1u);  // "x" and whole letters
}

TEST(XmltvLoader, KeptWindowAndShifts) {
  test::TimeZone tz("UTC");
  const XmltvWindow w = XmltvWindow::around(utc(2024, 5, 10, 12));
  std::string body;
  // Hourly on 9 to 13 May: days before and after the window too.
  for (int d = 9; d <= 13; ++d) {
    for (int h = 0; h < 24; ++h) {
      char start[32], stop[32], title[32];
      std::snprintf(start, sizeof start, "202405%02d%02d0000", d, h);
      std::snprintf(stop, sizeof stop, "202405%02d%02d5900", d, h);
      std::snprintf(title, sizeof title, "d%d h%02d", d, h);
      body += programme("a", start, stop, title);
    }
  }
  const auto r = test::loadFor(guide(body), {byId("a"), byId("a", 1.5), byId("A", -3)}, w);
  ASSERT_TRUE(r.report.ok);
  EXPECT_EQ(r.report.programmeElements, 120u);
  // The three days, widened by three hours each side for the -3 h channel.
  EXPECT_EQ(r.report.programmesKept, 72u + 6u);
  // All three take the one guide channel, each with its own shift.
  EXPECT_EQ(r.store.channelOf(0), r.store.channelOf(1));
  EXPECT_EQ(r.store.channelOf(0), r.store.channelOf(2));

  const int64_t at = utc(2024, 5, 10, 12, 10);
  EXPECT_EQ(titleOf(r.store.now(0, at)), "d10 h12");
  // +1.5 h: at 12:10 the programme shown is the one the guide puts at
  // 10:00-10:59, moved to 11:30-12:29.
  const auto shifted = r.store.now(1, at);
  ASSERT_TRUE(shifted);
  EXPECT_EQ(shifted->title, "d10 h10");
  EXPECT_EQ(shifted->start, utc(2024, 5, 10, 11, 30));
  EXPECT_EQ(shifted->stop, utc(2024, 5, 10, 12, 29));
  EXPECT_EQ(titleOf(r.store.next(1, at)), "d10 h11");
  EXPECT_EQ(titleOf(r.store.now(2, at)), "d10 h15");

  // Day 0 of the -3 h channel starts with the guide's 03:00 programme and
  // reaches 02:00 of the next guide day.
  const auto day0 = r.store.day(2, 0);
  ASSERT_EQ(day0.size(), 24u);
  EXPECT_EQ(day0.front().title, "d10 h03");
  EXPECT_EQ(day0.front().start, utc(2024, 5, 10, 0));
  EXPECT_EQ(day0.back().title, "d11 h02");
  // Day 2 of the +1.5 h channel: the programme across its midnight first.
  const auto day2 = r.store.day(1, 2);
  ASSERT_FALSE(day2.empty());
  EXPECT_EQ(day2.front().title, "d11 h22");
  EXPECT_EQ(day2.front().start, utc(2024, 5, 11, 23, 30));
  EXPECT_EQ(day2.back().title, "d12 h22");
}

TEST(XmltvLoader, KeepAllKeepsEveryChannelAndProgramme) {
  test::TimeZone tz("UTC");
  const std::string g = guide(channelElement("x", {"X"}) + programme("x", "19990101000000", "19990101010000", "old") +
                              programme("y", "20990101000000", "", "future") + channelElement("z", {}));
  const auto r = test::loadAll(g);
  EXPECT_EQ(r.report.channelElements, 2u);
  EXPECT_EQ(r.report.programmeElements, 2u);
  EXPECT_EQ(r.report.programmesKept, 2u);
  ASSERT_EQ(r.store.channelCount(), 3u);
  EXPECT_EQ(r.store.channelId(0), "x");
  EXPECT_EQ(r.store.channelId(1), "y");
  EXPECT_EQ(r.store.channelId(2), "z");
  EXPECT_EQ(titleOf(r.store.channelNow(0, utc(1999, 1, 1, 0, 30))), "old");
  EXPECT_EQ(titleOf(r.store.channelNext(1, utc(2024, 1, 1))), "future");
}

}  // namespace
}  // namespace tembra
