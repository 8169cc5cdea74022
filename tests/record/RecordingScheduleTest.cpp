#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "TempDir.h"
#include "record/RecordingSchedule.h"

namespace tembra {
namespace {

using Entry = RecordingSchedule::Entry;

Entry entry(const std::string& channel, int64_t start, int64_t stop, const std::string& source = "1") {
  return Entry{source, channel, "Channel " + channel, "Show on " + channel, start, stop};
}

TEST(RecordingScheduleTest, SurvivesARestartInAFileOfItsOwn) {
  test::TempDir dir("schedule");
  const std::string path = dir.file("tembra/recordings.list");
  {
    RecordingSchedule s(path);
    ASSERT_TRUE(s.load()) << "a missing file is an empty schedule";
    EXPECT_TRUE(s.add(entry("7", 5000, 6800), 1000));
    EXPECT_TRUE(s.add(entry("3", 2000, 3000), 1000));
    EXPECT_FALSE(s.add(entry("3", 2000, 3000), 1000)) << "already there";
  }
  struct stat st{};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  RecordingSchedule again(path);
  ASSERT_TRUE(again.load());
  ASSERT_EQ(again.entries().size(), 2u);
  EXPECT_EQ(again.entries()[0], entry("3", 2000, 3000)) << "by start";
  EXPECT_EQ(again.entries()[1], entry("7", 5000, 6800));
  EXPECT_TRUE(again.remove("1", "3", 2000));
  EXPECT_FALSE(again.remove("1", "3", 2000));
  RecordingSchedule third(path);
  ASSERT_TRUE(third.load());
  EXPECT_EQ(third.entries().size(), 1u);
}

TEST(RecordingScheduleTest, RunsFromAMinuteEarlyToTwoMinutesLate) {
  test::TempDir dir("schedule");
  RecordingSchedule s(dir.file("r.list"));
  ASSERT_TRUE(s.add(entry("1", 10000, 12000), 0));
  ASSERT_TRUE(s.add(entry("2", 20000, 21000, "other"), 0));
  struct Case {
    int64_t now;
    bool due;
    std::optional<int64_t> next;
  } cases[] = {
      {9000, false, 940},      // opens at 9940
      {9940, true, 2180},      // closes at 12120
      {12119, true, 1},
      {12120, false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s.due("1", c.now).has_value(), c.due) << c.now;
    EXPECT_EQ(s.nextChange("1", c.now), c.next) << c.now;
  }
  EXPECT_FALSE(s.due("1", 20000)) << "another source's entry";
  EXPECT_TRUE(s.due("other", 20000));
  EXPECT_FALSE(s.add(entry("3", 100, 200), 1000)) << "over already";
  EXPECT_FALSE(s.add(entry("3", 5000, 4000), 0)) << "ends before it starts";
  EXPECT_TRUE(s.dropFinished(12120));
  EXPECT_EQ(s.entries().size(), 1u);
}

TEST(RecordingScheduleTest, DamagedLinesAreSkippedAndTextsCannotBreakTheFile) {
  test::TempDir dir("schedule");
  const std::string path = dir.file("r.list");
  std::ofstream(path) << "# tembra recordings 1\n"
                      << "100\t200\t1\tch\tName\tTitle\n"
                      << "garbage\n"
                      << "x\t200\t1\tch\tName\tTitle\n"
                      << "300\t250\t1\tch\tName\tTitle\n"
                      << "400\t500\t1\t\tName\tTitle\n"
                      << "600\t700\t1\tch2\tName\n"
                      << "800\t900\t1\tch3\tName\tTitle with\ttab\r\n";
  RecordingSchedule s(path);
  ASSERT_TRUE(s.load());
  ASSERT_EQ(s.entries().size(), 2u);
  EXPECT_EQ(s.entries()[1].title, "Title with\ttab") << "the last field takes the rest";

  Entry odd = entry("9", 1000, 2000);
  odd.title = "two\nlines\tand\ttabs";
  odd.channelName = "a\rb";
  const std::optional<Entry> back = RecordingSchedule::parseLine(RecordingSchedule::lineOf(odd));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->title, "two lines and tabs");
  EXPECT_EQ(back->channelName, "a b");
  EXPECT_EQ(back->start, 1000);
}

TEST(RecordingScheduleTest, AnOversizedFileIsReadOnlyUpToItsCap) {
  test::TempDir dir("schedule");
  const std::string path = dir.file("r.list");
  {
    std::ofstream out(path);
    for (size_t i = 0; i < RecordingSchedule::kMaxEntries + 50; ++i)
      out << 1000 + i << "\t" << 2000 + i << "\t1\tc" << i << "\tN\tT\n";
  }
  RecordingSchedule s(path);
  ASSERT_TRUE(s.load());
  EXPECT_EQ(s.entries().size(), RecordingSchedule::kMaxEntries);
  EXPECT_FALSE(s.add(entry("new", 100000, 100100), 0)) << "full";
}

}  // namespace
}  // namespace tembra
