#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "TempDir.h"
#include "TimeZone.h"
#include "platform/TestFiles.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;
using testing::ToolResult;

const char* const kGuide =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
    "<tv>\n"
    "<channel id=\"one\"><display-name>One</display-name></channel>\n"
    "<channel id=\"two\"><display-name>Zwei &amp; Drei</display-name></channel>\n"
    "<channel id=\"three\"><display-name>Three</display-name></channel>\n"
    "<programme start=\"20240510120000 +0200\" stop=\"20240510130000 +0200\" channel=\"one\">"
    "<title>Mittag</title></programme>\n"
    "<programme start=\"20240510130000 +0200\" stop=\"20240510140000 +0200\" channel=\"one\">"
    "<title>Tom &amp; \"Jerry\" \\ tab&#9;x</title></programme>\n"
    "<programme start=\"20240510110000\" stop=\"20240510120000\" channel=\"two\">"
    "<title>Zwei UTC</title></programme>\n"
    "<programme start=\"20240511080000 +0200\" channel=\"three\"><title>Morgen</title></programme>\n"
    "</tv>\n";

const char* const kPlaylist =
    "#EXTM3U\n"
    "#EXTINF:-1 tvg-id=\"ONE\" tvg-shift=\"1.5\",Eins\nhttp://127.0.0.1/1\n"
    "#EXTINF:-1 tvg-name=\"ZWEI & DREI\",Second\nhttp://127.0.0.1/2\n"
    "#EXTINF:-1,Nobody\nhttp://127.0.0.1/3\n"
    "#EXTINF:-1 tvg-id=\"one\",Eins again\nhttp://127.0.0.1/4\n";

class EpgCommand : public ::testing::Test {
 protected:
  EpgCommand() : dir_("epgcommand") {
    test::writeFile(guide(), kGuide);
    test::writeFile(playlist(), kPlaylist);
  }
  std::string guide() const { return dir_.file("guide.xml"); }
  std::string playlist() const { return dir_.file("list.m3u"); }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  test::TempDir dir_;
};

TEST_F(EpgCommand, NowAndNextInBerlin) {
  test::TimeZone zone("Europe/Berlin");
  const ToolResult r = runTool({"epg", guide(), "--at", "2024-05-10 12:30:00"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"channels\": 3, \"programmes\": 4,\n"
            "\"now\": {\n"
            "  \"one\": {\"start\": \"2024-05-10 12:00:00\", \"stop\": \"2024-05-10 13:00:00\", \"title\": \"Mittag\"}\n"
            "},\n"
            "\"next\": {\n"
            "  \"one\": {\"start\": \"2024-05-10 13:00:00\", \"stop\": \"2024-05-10 14:00:00\", "
            "\"title\": \"Tom & \\\"Jerry\\\" \\\\ tab\\u0009x\"},\n"
            "  \"two\": {\"start\": \"2024-05-10 13:00:00\", \"stop\": \"2024-05-10 14:00:00\", \"title\": \"Zwei UTC\"},\n"
            "  \"three\": {\"start\": \"2024-05-11 08:00:00\", \"stop\": \"2024-05-11 09:00:00\", \"title\": \"Morgen\"}\n"
            "}}\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(EpgCommand, NowAndNextInUtc) {
  test::TimeZone zone("UTC");
  const ToolResult r = runTool({"epg", guide(), "--at", "2024-05-10 11:30:00"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"channels\": 3, \"programmes\": 4,\n"
            "\"now\": {\n"
            "  \"one\": {\"start\": \"2024-05-10 11:00:00\", \"stop\": \"2024-05-10 12:00:00\", "
            "\"title\": \"Tom & \\\"Jerry\\\" \\\\ tab\\u0009x\"},\n"
            "  \"two\": {\"start\": \"2024-05-10 11:00:00\", \"stop\": \"2024-05-10 12:00:00\", \"title\": \"Zwei UTC\"}\n"
            "},\n"
            "\"next\": {\n"
            "  \"three\": {\"start\": \"2024-05-11 06:00:00\", \"stop\": \"2024-05-11 07:00:00\", \"title\": \"Morgen\"}\n"
            "}}\n");
}

TEST_F(EpgCommand, PlaylistChannelsWithTheirShifts) {
  test::TimeZone zone("Europe/Berlin");
  const ToolResult r = runTool({"epg", guide(), "--playlist", playlist(), "--at", "2024-05-10 13:45:00"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"channels\": 3, \"programmes\": 4,\n"
            "\"now\": {\n"
            "  \"0\": {\"start\": \"2024-05-10 13:30:00\", \"stop\": \"2024-05-10 14:30:00\", \"title\": \"Mittag\"},\n"
            "  \"1\": {\"start\": \"2024-05-10 13:00:00\", \"stop\": \"2024-05-10 14:00:00\", \"title\": \"Zwei UTC\"},\n"
            "  \"3\": {\"start\": \"2024-05-10 13:00:00\", \"stop\": \"2024-05-10 14:00:00\", "
            "\"title\": \"Tom & \\\"Jerry\\\" \\\\ tab\\u0009x\"}\n"
            "},\n"
            "\"next\": {\n"
            "  \"0\": {\"start\": \"2024-05-10 14:30:00\", \"stop\": \"2024-05-10 15:30:00\", "
            "\"title\": \"Tom & \\\"Jerry\\\" \\\\ tab\\u0009x\"}\n"
            "},\n"
            "\"matches\": [\"one\", \"two\", null, \"one\"]}\n");

  // The window: with --at two days later, day 0 is 12 May and the 10 May
  // programmes are not kept (the count of elements stays).
  const ToolResult later = runTool({"epg", guide(), "--playlist", playlist(), "--at", "2024-05-12 00:30:00"});
  ASSERT_EQ(later.exitCode, 0) << later.err;
  EXPECT_NE(later.out.find("\"programmes\": 4,"), std::string::npos) << later.out;
  EXPECT_NE(later.out.find("\"now\": {},\n\"next\": {},\n"), std::string::npos) << later.out;
}

TEST_F(EpgCommand, FailuresAndTheirExitCodes) {
  test::TimeZone zone("UTC");
  test::writeFile(file("page.html"), "<!DOCTYPE html><html><body>Not found</body></html>");
  test::writeFile(file("empty.xml"), "");
  test::writeFile(file("json.xml"), "{\"tv\": 1}");
  std::string cut = kGuide;
  cut.resize(cut.find("<programme start=\"20240510110000\""));
  test::writeFile(file("cut.xml"), cut);

  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // a part of what stderr says
  };
  const std::vector<Case> cases = {
      {{"epg", file("page.html")}, 1, "its root element is <html>, not <tv>"},
      {{"epg", file("empty.xml")}, 1, "it is empty"},
      {{"epg", file("json.xml")}, 1, "not XML"},
      {{"epg", file("missing.xml")}, 2, "missing.xml"},
      {{"epg", file("cut.xml"), "--at", "2024-05-10 11:30:00"}, 1, "cut off"},
      {{"epg", guide(), "--at", "2024-02-30 10:00:00"}, 2, "--at"},
      {{"epg", guide(), "--at", "10:00"}, 2, "--at"},
      {{"epg", guide(), "--playlist", file("missing.m3u")}, 2, "missing.m3u"},
      {{"epg"}, 2, "usage"},
      {{"epg", guide(), "--at"}, 2, "usage"},
      {{"epg", guide(), "extra"}, 2, "usage"},
      {{"epg", guide(), "--frobnicate"}, 2, "usage"},
  };
  for (const Case& c : cases) {
    const ToolResult r = runTool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args.back() << ": " << r.err;
  }
  // A cut guide still prints what it held.
  const ToolResult r = runTool({"epg", file("cut.xml"), "--at", "2024-05-10 11:30:00"});
  EXPECT_NE(r.out.find("\"programmes\": 2,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"now\": {\n  \"one\": {\"start\": \"2024-05-10 11:00:00\""), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tembra
