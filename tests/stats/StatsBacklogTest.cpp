#include "stats/StatsBacklog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "platform/Utf.h"
#include "stats/StatsTestSupport.h"

namespace tembra {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(StatsBacklog, LoadsCompleteLinesAndDeletesTheFile) {
  TempDir dir("backlog");
  const std::string path = dir.file("bi.dat");
  writeFile(path, "first\n\nsecond\r\nदूसरा\nthird\n");
  auto records = StatsBacklog::Load(path);
  EXPECT_EQ(records, (std::vector<std::u16string>{u"first", u"second\r", u"दूसरा", u"third"}));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(StatsBacklog::Load(path).empty());
}

TEST(StatsBacklog, ATornLastLineIsNotLoaded) {
  TempDir dir("backlog");
  const std::string path = dir.file("bi.dat");
  writeFile(path, "whole\n{{\"PC\",\"00-1A");
  EXPECT_EQ(StatsBacklog::Load(path), std::vector<std::u16string>{u"whole"});
  writeFile(path, "only part");
  EXPECT_TRUE(StatsBacklog::Load(path).empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(StatsBacklog, AppendsOneLinePerRecordAfterWhatIsThere) {
  TempDir dir("backlog");
  const std::string path = dir.file("bi.dat");
  const std::u16string big(3000, u'क');  // 9,000 bytes of UTF-8, kept whole
  ASSERT_TRUE(StatsBacklog::Append(path, {u"one", u"two\r"}));
  ASSERT_TRUE(StatsBacklog::Append(path, {big, u"line\nfeed"}));
  EXPECT_EQ(readFile(path), "one\ntwo\r\n" + toUtf8(big) + "\nline feed\n");
  EXPECT_EQ(StatsBacklog::Load(path), (std::vector<std::u16string>{u"one", u"two\r", big, u"line feed"}));
}

TEST(StatsBacklog, AppendCutsATornTailSoNewLinesStayWhole) {
  TempDir dir("backlog");
  const std::string path = dir.file("bi.dat");
  writeFile(path, "kept\ntorn fragm");
  ASSERT_TRUE(StatsBacklog::Append(path, {u"new"}));
  EXPECT_EQ(readFile(path), "kept\nnew\n");
  writeFile(path, "no line feed at all");
  ASSERT_TRUE(StatsBacklog::Append(path, {u"new"}));
  EXPECT_EQ(readFile(path), "new\n");
}

TEST(StatsBacklog, AnUnwritableLocationFails) {
  EXPECT_FALSE(StatsBacklog::Append("/nonexistent-folder/bi.dat", {u"r"}));
}

}  // namespace
}  // namespace tembra
