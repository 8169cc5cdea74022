#include <gtest/gtest.h>

#include "xmltv/XmltvTime.h"
#include "xmltv/XmltvTestSupport.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {
namespace {

using test::utc;

TEST(XmltvTime, ReadsTheGuideForms) {
  struct Case {
    const char* text;
    int64_t want;
  };
  const Case cases[] = {
      {"20240301123045 +0000", utc(2024, 3, 1, 12, 30, 45)},
      {"20240301123045 +0100", utc(2024, 3, 1, 11, 30, 45)},
      {"20240301123045 -0530", utc(2024, 3, 1, 18, 0, 45)},
      {"20240301003000 +0200", utc(2024, 2, 29, 22, 30, 0)},  // back across midnight into a leap day
      {"20231231233000 -0100", utc(2024, 1, 1, 0, 30, 0)},    // forward into the new year
      {"20240301123045", utc(2024, 3, 1, 12, 30, 45)},        // no offset: UTC
      {"202403011230", utc(2024, 3, 1, 12, 30, 0)},           // no seconds
      {"202403011230 +0100", utc(2024, 3, 1, 11, 30, 0)},
      {"20240301123045+0100", utc(2024, 3, 1, 11, 30, 45)},  // no space before the offset
      {" 20240301123045  +0100 ", utc(2024, 3, 1, 11, 30, 45)},
      {"19700101000000 +0000", 0},
      {"20000229000000", utc(2000, 2, 29)},
  };
  for (const Case& c : cases) {
    const auto t = XmltvTime::parse(c.text);
    ASSERT_TRUE(t.has_value()) << c.text;
    EXPECT_EQ(*t, c.want) << c.text;
  }
}

TEST(XmltvTime, RefusesWhatIsNoGuideTime) {
  const char* const bad[] = {
      "",
      "2024030112",             // hours only
      "2024030112304",          // half a seconds field
      "202403011230450",        // one digit too many
      "20241301120000",         // month 13
      "20240230120000",         // 30 February
      "20230229120000",         // 29 February of a common year
      "20240301240000",         // hour 24
      "20240301126000",         // minute 60
      "20240301123060",         // second 60
      "20240301123045 +01",     // short offset
      "20240301123045 +01:00",  // offset with a colon
      "20240301123045 +2400",   // offset hour 24
      "20240301123045 UTC",     // a zone name
      "20240301123045 +0100x",  // trailing garbage
      "2024-03-01 12:30:45",    // another format
      "now",
  };
  for (const char* text : bad) EXPECT_FALSE(XmltvTime::parse(text).has_value()) << "'" << text << "'";
}

TEST(XmltvTime, ShiftsInSeconds) {
  EXPECT_EQ(XmltvTime::shiftSeconds(1.5), 5400);
  EXPECT_EQ(XmltvTime::shiftSeconds(-2), -7200);
  EXPECT_EQ(XmltvTime::shiftSeconds(0.25), 900);
  EXPECT_EQ(XmltvTime::shiftSeconds(1e12), 7 * 24 * 3600);
  EXPECT_EQ(XmltvTime::shiftSeconds(0.0 / 0.0), 0);
}

TEST(XmltvWindow, LocalDaysFollowTheTimeZone) {
  {
    test::TimeZone tz("UTC");
    const XmltvWindow w = XmltvWindow::around(utc(2024, 3, 1, 15));
    EXPECT_EQ(w.dayStart[0], utc(2024, 3, 1));
    EXPECT_EQ(w.dayStart[1], utc(2024, 3, 2));
    EXPECT_EQ(w.dayStart[3], utc(2024, 3, 4));
  }
  {
    // 23:30 UTC is already the next day in Berlin; the window crosses the
    // spring change (31 March 2024 has 23 hours there).
    test::TimeZone tz("Europe/Berlin");
    const XmltvWindow w = XmltvWindow::around(utc(2024, 3, 29, 23, 30));
    EXPECT_EQ(w.dayStart[0], utc(2024, 3, 29, 23));
    EXPECT_EQ(w.dayStart[1], utc(2024, 3, 30, 23));
    EXPECT_EQ(w.dayStart[2], utc(2024, 3, 31, 22));
    EXPECT_EQ(w.dayStart[3], utc(2024, 4, 1, 22));
    EXPECT_FALSE(w.keepAll);
    EXPECT_TRUE(XmltvWindow::everything(utc(2024, 3, 29)).keepAll);
  }
  {
    test::TimeZone tz("America/New_York");
    const XmltvWindow w = XmltvWindow::around(utc(2024, 12, 31, 3));  // 30 Dec, 22:00 local
    EXPECT_EQ(w.dayStart[0], utc(2024, 12, 30, 5));
    EXPECT_EQ(w.dayStart[3], utc(2025, 1, 2, 5));  // across the year's end
  }
}

}  // namespace
}  // namespace tembra
