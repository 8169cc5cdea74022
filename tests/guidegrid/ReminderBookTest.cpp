#include "guidegrid/ReminderBook.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "TimeZone.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

constexpr int64_t kNine = 1796806800;  // 2026-12-09 09:00:00 UTC

Reminder at(int64_t start, std::u16string id = u"7", std::u16string title = u"News") {
  return {std::move(id), u"Channel Seven", std::move(title), start};
}

TEST(ReminderBook, OneReminderPerProgrammeKeptByStart) {
  ReminderBook book;
  EXPECT_TRUE(book.add(at(kNine + 600)));
  EXPECT_TRUE(book.add(at(kNine + 60)));
  EXPECT_TRUE(book.add(at(kNine + 60, u"8")));
  EXPECT_FALSE(book.add(at(kNine + 600))) << "the same programme twice";
  ASSERT_EQ(book.all().size(), 3u);
  EXPECT_EQ(book.all()[0].start, kNine + 60);
  EXPECT_EQ(book.all()[2].start, kNine + 600);
  EXPECT_TRUE(book.has(u"8", kNine + 60));
  EXPECT_FALSE(book.has(u"8", kNine + 600));
  EXPECT_TRUE(book.remove(u"8", kNine + 60));
  EXPECT_FALSE(book.remove(u"8", kNine + 60));
  EXPECT_EQ(book.all().size(), 2u);

  ReminderBook full;
  for (size_t i = 0; i < ReminderBook::kMax; ++i) ASSERT_TRUE(full.add(at(kNine + static_cast<int64_t>(i))));
  EXPECT_FALSE(full.add(at(kNine - 1))) << "bounded";
}

TEST(ReminderBook, EachIsDueOnceAMinuteBeforeItsStart) {
  ReminderBook book;
  book.add(at(kNine + 600, u"1", u"Later"));
  book.add(at(kNine, u"2", u"Sooner"));
  EXPECT_EQ(book.nextDue(), kNine - 60);
  EXPECT_TRUE(book.takeDue(kNine - 61).empty());
  const std::vector<Reminder> due = book.takeDue(kNine - 60);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(toUtf8(due[0].title), "Sooner");
  EXPECT_TRUE(book.takeDue(kNine - 60).empty()) << "told once";
  EXPECT_EQ(book.nextDue(), kNine + 540);
  // Woken well after it: still told while the programme is young, dropped
  // once it is long under way.
  book.add(at(kNine + 1200, u"3", u"Young"));
  const std::vector<Reminder> late = book.takeDue(kNine + 600 + ReminderBook::kStaleAfter + 1);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(toUtf8(late[0].title), "Young");
  EXPECT_TRUE(book.empty()) << "the stale one went too";
  EXPECT_FALSE(book.nextDue());
}

TEST(ReminderBook, TheMessageSaysWhatWhereAndWhen) {
  test::TimeZone utc("UTC");
  EXPECT_EQ(toUtf8(ReminderBook::message(at(kNine + 300), kNine + 240)),
            "News starts in a minute on Channel Seven (09:05).");
  EXPECT_EQ(toUtf8(ReminderBook::message(at(kNine + 300), kNine + 400)), "News started at 09:05 on Channel Seven.");
  EXPECT_EQ(toUtf8(ReminderBook::message(at(kNine, u"7", u""), kNine - 60)),
            "A programme starts in a minute on Channel Seven (09:00).");
}

}  // namespace
}  // namespace tembra
