#include "ads/ZipName.h"

#include <gtest/gtest.h>

#include "TimeZone.h"
#include "ads/ZipTime.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

TEST(ZipName, CleaningKeepsEveryNameInsideTheBaseFolder) {
  struct Case {
    const char* stored;
    const char* cleaned;
  };
  const Case cases[] = {
      {"C:\\x\\y.txt", "x\\y.txt"},
      {"a/../../b.txt", "b.txt"},
      {"/etc/p", "etc/p"},
      {"..\\..\\x", "x"},
      {"C:/x", "x"},
      {"////x", "x"},
      {"../x", "x"},
      {"../../../x", "x"},
      {"..\\C:\\x", "x"},
      {"\\\\server\\share\\f", "server\\share\\f"},
      {"a/b/../c", "c"},
      {"ok/name.txt", "ok/name.txt"},
      {"..name", "..name"},
      {"a..b/c", "a..b/c"},
      {"dir/", "dir/"},
      {"", ""},
      {"/", ""},
      {"C:", ""},
      // A climb that ends the name: extracted, it would name the base
      // folder's parent.
      {"..", ""},
      {"a/..", ""},
      {"x/../..", ""},
      {"a.2x\\..", ""},
      {"a/../b/..", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUtf8(ZipName::Clean(fromUtf8(c.stored))), c.cleaned) << c.stored;
  }
}

TEST(ZipName, CleanedNamesNeverStartWithAClimb) {
  // Every combination of up to four pieces that could climb.
  const char* pieces[] = {"..", "/", "\\", "C:", "x", "."};
  std::vector<std::string> names{""};
  for (int depth = 0; depth < 4; ++depth) {
    std::vector<std::string> next;
    for (const auto& n : names)
      for (const char* p : pieces) next.push_back(n + p);
    names.insert(names.end(), next.begin(), next.end());
  }
  for (const auto& name : names) {
    const std::string cleaned = toUtf8(ZipName::Clean(fromUtf8(name)));
    EXPECT_FALSE(cleaned.rfind("../", 0) == 0 || cleaned.rfind("..\\", 0) == 0) << name << " -> " << cleaned;
    EXPECT_FALSE(!cleaned.empty() && (cleaned[0] == '/' || cleaned[0] == '\\')) << name << " -> " << cleaned;
    EXPECT_EQ(cleaned.find("/../"), std::string::npos) << name;
    EXPECT_EQ(cleaned.find("\\..\\"), std::string::npos) << name;
    // No piece of what is left is a climb, at its end either.
    const bool endsInClimb = cleaned == ".." || (cleaned.size() >= 3 && cleaned.compare(cleaned.size() - 2, 2, "..") == 0 &&
                                                 (cleaned[cleaned.size() - 3] == '/' || cleaned[cleaned.size() - 3] == '\\'));
    EXPECT_FALSE(endsInClimb) << name << " -> " << cleaned;
  }
}

class ZipTimeZone : public ::testing::Test {
 protected:
  void use(const char* tz) { zone_.use(tz); }
  test::TimeZone zone_{"UTC0"};
};

TEST_F(ZipTimeZone, DosTimesAreLocalTimeTurnedIntoUtc) {
  // 2020-01-01 12:00:00 and 2021-07-15 23:59:58.
  const uint16_t date1 = (40 << 9) | (1 << 5) | 1, time1 = 12 << 11;
  const uint16_t date2 = (41 << 9) | (7 << 5) | 15, time2 = (23 << 11) | (59 << 5) | 29;
  use("UTC0");
  EXPECT_EQ(ZipTime::FromDos(date1, time1), ZipTime::FromUnixSeconds(1577880000));
  EXPECT_EQ(ZipTime::FromDos(date2, time2), ZipTime::FromUnixSeconds(1626393598));
  use("EST5");
  EXPECT_EQ(ZipTime::FromDos(date1, time1), ZipTime::FromUnixSeconds(1577880000 + 5 * 3600));
}

TEST(ZipTime, FileTimesRoundTripThroughTimespec) {
  EXPECT_EQ(ZipTime::FromUnixSeconds(0), ZipTime::kUnixEpochTicks);
  const timespec ts = ZipTime::ToTimespec(ZipTime::FromUnixSeconds(1700000000) + 1234567);
  EXPECT_EQ(ts.tv_sec, 1700000000);
  EXPECT_EQ(ts.tv_nsec, 123456700);
  const timespec before = ZipTime::ToTimespec(ZipTime::kUnixEpochTicks - 5000000);
  EXPECT_EQ(before.tv_sec, -1);
  EXPECT_EQ(before.tv_nsec, 500000000);
}

}  // namespace
}  // namespace tembra
