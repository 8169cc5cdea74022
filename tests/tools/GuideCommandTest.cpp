// tembra-tool guide rows over stored reply bodies, and the argument checks
// of both guide commands.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TempDir.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

std::string body(const std::string& channels) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>" + channels + "</tvlist>\n";
}

std::string channel(const std::string& id, const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& programmes) {
  std::string s = "<tv id=\"" + id + "\"><tvname>" + name + "</tvname>";
  for (const auto& [start, title] : programmes)
    s += "<tvitem><title>" + title + "</title><startdate>d</startdate><enddate>d</enddate><starttime>" + start +
         "</starttime></tvitem>";
  return s + "</tv>";
}

class GuideCommand : public ::testing::Test {
 protected:
  std::string File(const std::string& name, const std::string& text) {
    const std::string path = dir_.file(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  test::TempDir dir_{"guide-tool"};
};

TEST_F(GuideCommand, RowsPrintsNowNextAndDayListsInRowOrder) {
  const std::string today =
      File("d0.xml", body(channel("7", "Seven", {{"10:00:00", "Ten"}, {"12:00:00", "Noon"}, {"14:00:00", "Two"}}) +
                          channel("8", "Eight\tTab", {{"13:00:00", "Later"}})));
  const std::string tomorrow = File("d1.xml", body(channel("8", "Eight", {{"06:00:00", "Early"}}) +
                                                   channel("9", "Nine", {{"07:00:00", "Morning"}})));
  auto r = runTool({"guide", "rows", "--created", "07", "--at", "07 12:30:00", "--channel", "7", today, tomorrow});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "now\t7\tSeven\t12:00:00\tNoon\n"
            "result now 0\n"
            "next\t7\tSeven\t14:00:00\tTwo\n"
            "next\t8\tEight Tab\t13:00:00\tLater\n"
            "next\t9\tNine\t07:00:00\tMorning\n"
            "result next 0\n"
            "day0\t7\tSeven\t10:00:00\tTen\n"
            "day0\t7\tSeven\t12:00:00\tNoon\n"
            "day0\t7\tSeven\t14:00:00\tTwo\n"
            "result day0 0\n"
            "result day1 -1\n"
            "result day2 2\n");
}

TEST_F(GuideCommand, MonthEndKeysAndTheNightAfter) {
  const std::string today = File("d0.xml", body(channel("7", "Seven", {{"22:00:00", "Late"}})));
  const std::string tomorrow = File("d1.xml", body(channel("7", "Seven", {{"06:00:00", "Early"}})));
  // On the 31st tomorrow's key is 32, so it follows today's last programme,
  // which is on until midnight.
  auto r = runTool({"guide", "rows", "--created", "31", "--at", "31 23:00:00", today, tomorrow});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "now\t7\tSeven\t22:00:00\tLate\nresult now 0\n"
            "next\t7\tSeven\t06:00:00\tEarly\nresult next 0\n");
  // After midnight the now key's 01 sorts before 31: today is all to come.
  r = runTool({"guide", "rows", "--created", "31", "--at", "01 00:30:00", today, tomorrow});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "result now -1\nnext\t7\tSeven\t22:00:00\tLate\nresult next 0\n");
}

TEST_F(GuideCommand, AFileWithoutChannelsMarksItsDayEmpty) {
  const std::string empty = File("empty.xml", "<html><body>no guide today</body></html>");
  const std::string tomorrow = File("d1.xml", body(channel("7", "Seven", {{"06:00:00", "Early"}})));
  auto r = runTool({"guide", "rows", "--at", "07 12:00:00", "--channel", "7", empty, tomorrow});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "result now -1\nresult next -1\nresult day0 -1\n"
            "day1\t7\tSeven\t06:00:00\tEarly\nresult day1 0\nresult day2 2\n");
}

TEST_F(GuideCommand, BadArgumentsAndUnreadableFilesExitTwo) {
  const std::string ok = File("ok.xml", body(""));
  const std::vector<std::vector<std::string>> bad = {
      {"guide"},
      {"guide", "show"},
      {"guide", "rows"},
      {"guide", "rows", ok, ok, ok, ok},
      {"guide", "rows", "--at", "7 12:00:00", ok},
      {"guide", "rows", "--at", "07 24:00:00", ok},
      {"guide", "rows", "--created", "32", ok},
      {"guide", "rows", "--created", "x", ok},
      {"guide", "rows", "--bogus", ok},
      {"guide", "rows", dir_.file("missing.xml")},
      {"guide", "fetch"},
      {"guide", "fetch", "http://127.0.0.1:1"},
      {"guide", "fetch", "http://127.0.0.1:1", "u", "3"},
      {"guide", "fetch", "http://127.0.0.1:1", "u", "0", "extra"},
  };
  for (const auto& args : bad) {
    auto r = runTool(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.exitCode, 2) << joined;
    EXPECT_TRUE(r.out.empty()) << joined;
    EXPECT_FALSE(r.err.empty()) << joined;
  }
}

TEST_F(GuideCommand, FetchWithoutAServiceIsAFailedDownload) {
  auto r = runTool({"guide", "fetch", "http://127.0.0.1:1", "u-1", "2"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "download failed: no connection\n");
  r = runTool({"guide", "fetch", "http://127.0.0.1:1", "", "0"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "download failed: no session id\n");
}

}  // namespace
}  // namespace tembra
