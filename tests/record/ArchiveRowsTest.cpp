#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "TimeZone.h"
#include "record/ArchiveRows.h"

namespace tembra {
namespace {

GuideRow row(const char16_t* date, const char16_t* time) {
  GuideRow r;
  r.id = u"1";
  r.entry.title = u"Show";
  r.entry.startdate = date;
  r.entry.starttime = time;
  return r;
}

class ArchiveRowsTest : public ::testing::Test {
 protected:
  const test::TimeZone utc_{"UTC"};
};

TEST_F(ArchiveRowsTest, AProgrammeEndsWhereTheNextStartsAndTheLastAtMidnight) {
  const std::vector<GuideRow> rows = {row(u"2024-03-01", u"06:00:00"), row(u"2024-03-01", u"bad"),
                                      row(u"2024-03-01", u"07:30:00"), row(u"2024-03-01", u"23:00:00")};
  const auto spans = ArchiveRows::spans(rows);
  ASSERT_EQ(spans.size(), 4u);
  const int64_t six = 1709272800;  // 2024-03-01 06:00 UTC
  EXPECT_EQ(spans[0], (ArchiveRows::Span{six, six + 5400})) << "the unreadable row is skipped over";
  EXPECT_FALSE(spans[1]);
  EXPECT_EQ(spans[2], (ArchiveRows::Span{six + 5400, six + 17 * 3600}));
  EXPECT_EQ(spans[3], (ArchiveRows::Span{six + 17 * 3600, six + 18 * 3600}));
}

TEST_F(ArchiveRowsTest, PlayableOnlyOnceBegunAndWithinTheArchiveDays) {
  const int64_t now = 1709300000;
  struct Case {
    const char* what;
    ArchiveRows::Span span;
    std::optional<int> days;
    bool playable;
  } cases[] = {
      {"over, with an archive", {now - 7200, now - 3600}, 3, true},
      {"on now plays from its start", {now - 600, now + 600}, 3, true},
      {"not begun", {now + 60, now + 600}, 3, false},
      {"no archive", {now - 7200, now - 3600}, std::nullopt, false},
      {"older than the days kept", {now - 4 * 86400, now - 4 * 86400 + 3600}, 3, false},
      {"an archive of unsaid length: a day", {now - 3600 * 20, now - 3600 * 19}, 0, true},
      {"... and not more", {now - 3600 * 25, now - 3600 * 24 - 1}, 0, false},
      {"a span with no length", {now - 100, now - 100}, 3, false},
  };
  for (const Case& c : cases) EXPECT_EQ(ArchiveRows::playable(c.span, c.days, now), c.playable) << c.what;
  EXPECT_TRUE(ArchiveRows::upcoming({now + 1, now + 2}, now));
  EXPECT_FALSE(ArchiveRows::upcoming({now, now + 2}, now));
}

}  // namespace
}  // namespace tembra
