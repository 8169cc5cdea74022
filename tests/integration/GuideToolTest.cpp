// tembra-tool guide fetch against the demo service: one download to tv.xml
// in the current directory, then the day's channels.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "TempDir.h"
#include "guide/GuideTestSupport.h"
#include "integration/DemoService.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using test::DemoService;

// Runs the tool with dir as its current directory.
testing::ToolResult runIn(const std::string& dir, const std::vector<std::string>& args) {
  char previous[PATH_MAX];
  if (!::getcwd(previous, sizeof previous) || ::chdir(dir.c_str()) != 0) return {};
  testing::ToolResult r = testing::runTool(args);
  if (::chdir(previous) != 0) return {};
  return r;
}

TEST(GuideTool, FetchStoresTvXmlHereAndListsTheDay) {
  DemoService demo({"--groups", "1", "--channels-per-group", "3", "--programmes-per-day", "5"});
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string uuid = demo.SignIn();
  test::TempDir dir("guide-tool-fetch");
  auto r = runIn(dir.path(), {"guide", "fetch", demo.base(), uuid, "1"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.rfind("download ok: day 1, key ", 0), 0u) << line;
  int channels = 0;
  while (std::getline(lines, line) && line.rfind("channel\t", 0) == 0) {
    ++channels;
    EXPECT_EQ(line.substr(line.rfind('\t')), "\t5") << line;
  }
  EXPECT_EQ(channels, 3);
  EXPECT_EQ(line, "channels 3 programmes 15");
  const std::string stored = test::readFile(dir.file("tv.xml"));
  EXPECT_EQ(stored.rfind("<?xml", 0), 0u);
  EXPECT_NE(stored.find("</tvlist>"), std::string::npos);
}

TEST(GuideTool, FetchReportsAFailedDownloadWithExitOne) {
  DemoService demo({"--groups", "1", "--channels-per-group", "1", "--guide-404"});
  ASSERT_TRUE(demo.started()) << demo.error();
  test::TempDir dir("guide-tool-fetch");
  auto r = runIn(dir.path(), {"guide", "fetch", demo.base(), demo.SignIn()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "download failed: reply refused by the status check\n");
}

}  // namespace
}  // namespace tembra
