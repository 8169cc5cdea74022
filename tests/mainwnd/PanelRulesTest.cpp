// The channel and guide panels' rules without a window: drop-down height,
// guide row texts, what the player is handed, where the ad pane
// goes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "TimeZone.h"
#include "mainwnd/AdPageAddress.h"
#include "mainwnd/DropDownHeight.h"
#include "mainwnd/GuideRowText.h"
#include "mainwnd/StreamAddress.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"

namespace tembra {
namespace {

TEST(PanelRules, DropDownIsOneRowPerGroupAsFarAsTheScreenHasRoom) {
  // items, room in pixels, height
  const int cases[][3] = {{0, 1000, 0},   {1, 1000, 29},  {3, 1000, 87},   {23, 1080, 667},
                          {400, 1080, 1073}, {400, 529, 522}, {5, 10, 29},  {5, 0, 29}};
  for (const auto& c : cases)
    EXPECT_EQ(DropDownHeight::For(c[0], 29, c[1]), c[2]) << c[0] << " groups in " << c[1] << " px";
  EXPECT_EQ(DropDownHeight::For(3, 32, 1000), 96);
  EXPECT_EQ(DropDownHeight::For(3, 0, 1000), 0);
}

TEST(PanelRules, GuideRowsReadChannelTimeAndTitleWithSingleSpaces) {
  GuideRow row{u"1007", u"Rang Barse", {u"Folk Tales (Ep. 3)", u"2026-05-14", u"2026-05-14", u"12:00:00"}};
  EXPECT_EQ(GuideRowText::ChannelRow(row), u"Rang Barse 12:00 Folk Tales (Ep. 3)");
  EXPECT_EQ(GuideRowText::DayRow(row), u"12:00 Folk Tales (Ep. 3)");
  EXPECT_EQ(GuideRowText::DayRow(row, true), u"12:00:00 Folk Tales (Ep. 3)");
  // Nothing is trimmed or added, even around empty fields.
  GuideRow bare{u"x", u"", {u"", u"", u"", u""}};
  EXPECT_EQ(GuideRowText::ChannelRow(bare), u"  ");
  EXPECT_EQ(GuideRowText::DayRow(bare), u" ");
  GuideRow spaced{u"x", u" A ", {u"T ", u"", u"", u" 09:00:00"}};
  EXPECT_EQ(GuideRowText::ChannelRow(spaced), u" A   09:00:00 T ") << "a time not read as HH:MM:SS stays whole";
}

TEST(PanelRules, ShortTimesKeepTheirSecondsOnlyWhereTwoProgrammesShareAMinute) {
  const struct {
    const char16_t* in;
    const char16_t* out;
  } times[] = {{u"00:00:00", u"00:00"}, {u"23:59:59", u"23:59"}, {u"07:05:30", u"07:05"},
               {u"7:05:30", u"7:05:30"}, {u"07:05", u"07:05"},    {u"", u""},
               {u"07-05-30", u"07-05-30"}, {u"07:05:3x", u"07:05:3x"}, {u"07:05:300", u"07:05:300"}};
  for (const auto& t : times) EXPECT_EQ(GuideRowText::ShortTime(t.in), t.out) << toUtf8(t.in);

  const auto day = [](std::vector<std::u16string> starts) {
    std::vector<GuideRow> rows;
    for (auto& s : starts) rows.push_back(GuideRow{u"c", u"C", {u"T", u"2026-12-10", u"2026-12-10", s}});
    return rows;
  };
  const struct {
    std::vector<std::u16string> starts;
    std::vector<bool> seconds;
  } days[] = {
      {{u"06:00:00", u"06:30:00", u"07:00:00"}, {false, false, false}},
      // A short filler in the minute of the programme before it.
      {{u"06:00:00", u"06:00:30", u"06:01:00"}, {true, true, false}},
      // Midnight at both ends of the list: the day's first minute and the
      // next day's first minute read the same.
      {{u"00:00:00", u"12:00:00", u"00:00:10"}, {true, false, true}},
      {{u"23:59:00", u"23:59:59"}, {true, true}},
      {{}, {}},
  };
  for (const auto& d : days) EXPECT_EQ(GuideRowText::DaySeconds(day(d.starts)), d.seconds);
}

TEST(PanelRules, DayOptionsReadTodayThenWeekdayAndDate) {
  // Tuesday 2026-03-10 and the days around it, in a zone without summer
  // time and with one (whose change falls within the span).
  const struct {
    const char* zone;
    int64_t now;        // a moment of the day the guide calls today
    int64_t midnights[4];  // local midnights of that day and the next three
    const char16_t* texts[4];
  } cases[] = {
      {"UTC", 1773143100 /* Tue 10 Mar 2026 11:45 */, {1773100800, 1773187200, 1773273600, 1773360000},
       {u"Today", u"Wed 11", u"Thu 12", u"Fri 13"}},
      // Just before midnight it is still today; Sunday 8 March changes
      // the clocks in New York (a 23-hour day).
      {"America/New_York", 1772945999 /* Sat 7 Mar 2026 23:59:59 EST */,
       {1772859600, 1772946000, 1773028800, 1773115200}, {u"Today", u"Sun 8", u"Mon 9", u"Tue 10"}},
      // The month turns between the days; a day before today reads its date.
      {"Asia/Kolkata", 1774981800 /* Wed 1 Apr 2026 00:00 IST */, {1774981800, 1775068200, 1775154600, 1774895400},
       {u"Today", u"Thu 2", u"Fri 3", u"Tue 31"}},
  };
  for (const auto& c : cases) {
    const test::TimeZone zone(c.zone);
    for (int d = 0; d < 4; ++d)
      EXPECT_EQ(GuideRowText::DayOption(c.midnights[d], c.now), c.texts[d]) << c.zone << " day " << d;
  }
}

TEST(PanelRules, OnlyStreamAddressesReachThePlayer) {
  const char16_t* playable[] = {u"http://127.0.0.1:8080/stream/1001", u"HTTPS://cdn.example/live.m3u8",
                                u"udp://@239.0.0.1:1234",           u"rtp://239.1.1.1:5004",
                                u"rtsp://cam/feed",                 u"rtmp://media/live/x",
                                u"srt://host:9000",                 u"mmsh://old/stream",
                                u"file:///srv/tv/loop.ts",          u"/srv/tv/loop.ts"};
  for (const char16_t* a : playable) {
    EXPECT_TRUE(StreamAddress::IsPlayable(a)) << toUtf8(a);
    EXPECT_EQ(StreamAddress::ForPlayer(a), a);
  }
  const std::u16string control = std::u16string(u"http://a/") + char16_t(0x01);
  const char16_t* refused[] = {u"",
                               u"/",
                               u"relative/file.ts",
                               u"fd://0",
                               u"fdclose://3",
                               u"memory://abc",
                               u"edl://%10%/etc/passwd",
                               u"lavf://x",
                               u"av://lavfi:testsrc",
                               u"http://",
                               u"://host",
                               u" http://a/b",
                               u"http://a/\uFFFD\uFFFD",
                               control.c_str()};
  for (const char16_t* a : refused) {
    EXPECT_FALSE(StreamAddress::IsPlayable(a)) << toUtf8(a);
    EXPECT_EQ(StreamAddress::ForPlayer(a), StreamAddress::Unopenable()) << toUtf8(a);
  }
  EXPECT_TRUE(StreamAddress::IsPlayable(StreamAddress::Unopenable())) << "it is a path the player tries";
}

TEST(PanelRules, CatalogueAddressesThatDoNotDecodeAreReplaced) {
  // An address enciphered by the service comes back whole.
  const std::u16string good = u"http://127.0.0.1:8080/stream/1001";
  EXPECT_EQ(StreamAddress::ForPlayer(DecodeChannelAddress(EncodeChannelAddress(good))), good);
  // Empty text, text that is not hexadecimal, and an address enciphered
  // under another key give nothing the player should see.
  AddressCipher::Key other{};
  other.fill(0x5A);
  for (const std::u16string& text :
       {std::u16string(), std::u16string(u"zz-not-hex"), EncodeChannelAddress(good, other)}) {
    EXPECT_EQ(StreamAddress::ForPlayer(DecodeChannelAddress(text)), StreamAddress::Unopenable()) << toUtf8(text);
  }
}

TEST(PanelRules, AdPaneAddresses) {
  struct Case {
    const char16_t* value;
    bool remote;
    const char16_t* address;
  } cases[] = {
      // The package form: a page below the program folder, its case kept
      // (the folder on disk is "Advertise/Fix").
      {u"101<EOF>Advertise\\Fix\\index.html", false, u"/opt/tembra/Advertise/Fix/index.html"},
      {u"7<EOF>Advertise\\Fix\\index.html<EOF>x", false, u"/opt/tembra/Advertise/Fix/index.html<EOF>x"},
      {u"Pages/Right.HTML", false, u"/opt/tembra/Pages/Right.HTML"},
      {u"\\\\Pages\\a.html", false, u"/opt/tembra/Pages/a.html"},
      // The link form: a web address, lower-cased as the service expects.
      {u"HTTP://Ads.Example/Right?Slot=A", true, u"http://ads.example/right?slot=a"},
      {u"100<EOF>http://127.0.0.1:9/ads/link.html", true, u"http://127.0.0.1:9/ads/link.html"},
      {u"https://Ads.Example/R", true, u"https://ads.example/r"},
  };
  for (const Case& c : cases) {
    const auto page = AdPageAddress::Resolve(c.value, u"/opt/tembra/");
    ASSERT_TRUE(page.has_value()) << toUtf8(c.value);
    EXPECT_EQ(page->remote, c.remote) << toUtf8(c.value);
    EXPECT_EQ(page->address, c.address) << toUtf8(c.value);
  }
  EXPECT_EQ(AdPageAddress::Resolve(u"a.html", u"/opt/tembra")->address, u"/opt/tembra/a.html");
  // Nothing to show, or a page outside the program folder: no navigation.
  for (const char16_t* value : {u"", u"100<EOF>", u"  ", u"\\", u"..\\..\\etc\\passwd", u"1<EOF>Advertise/../../x"})
    EXPECT_FALSE(AdPageAddress::Resolve(value, u"/opt/tembra/").has_value()) << toUtf8(value);
  EXPECT_TRUE(AdPageAddress::Resolve(u"Ads/..hidden/x.html", u"/opt/tembra/").has_value());
}

}  // namespace
}  // namespace tembra
