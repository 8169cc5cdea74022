// tembra-tool ads refresh against the demo service.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "integration/DemoService.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using test::DemoService;
using test::TempDir;
using testing::runTool;

TEST(AdsCommand, RefreshPrintsWhatChangedAndThenNothingNew) {
  DemoService demo({"--ad-time", "101"});
  ASSERT_TRUE(demo.started()) << demo.error();
  TempDir program("ads-command");
  auto result = runTool({"ads", "refresh", demo.base() + "/", program.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "sent 0x591 (right pane reloads)\n"
            "WEB_TV_AD_RIGHT\ttype 2\tmodifyTime 101\tstored 0\tpackage stored\t101<EOF>Advertise\\Fix\\index.html\n"
            "WEB_TV_AD_POP\ttype 2\tmodifyTime 101\tstored 0\tpackage stored\t101<EOF>Advertise\\Pop\\index.html\n"
            "2 ads, 1 messages sent\n");
  EXPECT_NE(test::readFile(program.file("Advertise/Fix/index.html")).find("<html"), std::string::npos);
  auto stored = runTool({"config", "get", program.file("config.ini"), "WEB_TV_AD_RIGHT"});
  EXPECT_EQ(stored.out, "101<EOF>Advertise\\Fix\\index.html\n");

  result = runTool({"ads", "refresh", demo.base() + "/", program.path()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("WEB_TV_AD_RIGHT\ttype 2\tmodifyTime 101\tstored 101\tup to date\n"), std::string::npos)
      << result.out;
}

TEST(AdsCommand, FailuresAndBadArguments) {
  DemoService demo({"--ads-404"});
  ASSERT_TRUE(demo.started()) << demo.error();
  TempDir program("ads-command");
  auto result = runTool({"ads", "refresh", demo.base() + "/", program.path()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no manifest: status 404"), std::string::npos) << result.err;
  EXPECT_EQ(runTool({"ads", "refresh", demo.base() + "/", program.file("missing")}).exitCode, 2);
  EXPECT_EQ(runTool({"ads", "refresh", demo.base() + "/"}).exitCode, 2);
  EXPECT_EQ(runTool({"ads", "refresh", demo.base() + "/", program.path(), "--key", "12"}).exitCode, 2);
}

}  // namespace
}  // namespace tembra
