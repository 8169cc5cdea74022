#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/LoopbackListener.h"
#include "platform/TestFiles.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

class PlaylistCommand : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    test::writeFile(dir_.file(name), bytes);
    return dir_.file(name);
  }
  const test::TempDir dir_{"tembra-playlist-tool"};
};

TEST_F(PlaylistCommand, PrintsGuidesAndEveryFieldOfEachChannel) {
  const std::string path = write(
      "tv.m3u",
      "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://g/a.xml, http://g/b.xml\" tvg-shift=\"1.5\"\r\n"
      "#EXTINF:-1 tvg-id=\"one.de\" tvg-name=\"Eins \\\\ Zwei\" tvg-logo=\"http://l/1.png\" "
      "group-title=\"News;\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\" tvg-chno=\"1\" "
      "catchup=\"default\" "
      "catchup-source=\"?utc={utc}\" catchup-days=\"3\",Das \"Erste\", HD\r\n"
      "#EXTVLCOPT:http-user-agent=Box/1.0\r\n"
      "local/one.ts|Referer=http%3A%2F%2Fsite%2F\r\n"
      "#EXTINF:-1 tvg-shift=\"-2\",Tab\there\x01\r\n"
      "http://s/2\r\n");
  auto r = runTool({"playlist", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string expected =
      "{\"guides\": [\"http://g/a.xml\", \"http://g/b.xml\"], \"channels\": [\n"
      "{\"name\": \"Das \\\"Erste\\\", HD\", \"url\": \"" + dir_.path() + "/local/one.ts\", "
      "\"groups\": [\"News\", \"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\"], \"tvgId\": \"one.de\", "
      "\"tvgName\": \"Eins \\\\\\\\ Zwei\", \"logo\": \"http://l/1.png\", \"number\": 1, \"shift\": 1.5, "
      "\"userAgent\": \"Box/1.0\", \"referrer\": \"http://site/\", \"catchup\": \"default\", "
      "\"catchupSource\": \"?utc={utc}\", \"catchupDays\": 3},\n"
      "{\"name\": \"Tab\\u0009here\\u0001\", \"url\": \"http://s/2\", \"groups\": [], \"tvgId\": \"\", "
      "\"tvgName\": \"\", \"logo\": \"\", \"number\": null, \"shift\": -2, \"userAgent\": \"\", \"referrer\": \"\", "
      "\"catchup\": \"\", \"catchupSource\": \"\", \"catchupDays\": null}\n"
      "]}\n";
  EXPECT_EQ(r.out, expected);
}

TEST_F(PlaylistCommand, APlaylistWithoutChannelsIsStillASuccess) {
  auto r = runTool({"playlist", write("empty.m3u", "#EXTM3U\n#EXTINF:-1,no address\n")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "{\"guides\": [], \"channels\": []}\n");
}

TEST_F(PlaylistCommand, ContentThatIsNoPlaylistExitsWithOne) {
  for (const std::string& content : {std::string("<html><body>http://x/</body></html>"), std::string("words\n")}) {
    const std::string path = write("page.m3u", content);
    auto r = runTool({"playlist", path});
    EXPECT_EQ(r.exitCode, 1) << content;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tembra-tool: " + path + " is not a playlist\n");
  }
}

TEST_F(PlaylistCommand, BadArgumentsAndUnreadableInputExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"playlist"}, {"playlist", ""}, {"playlist", "a.m3u", "b.m3u"},
        {"playlist", dir_.file("missing.m3u")}, {"playlist", dir_.path()},
        {"playlist", "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/tv.m3u"}}) {
    auto r = runTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

TEST_F(PlaylistCommand, FetchesAUrlAndResolvesAgainstIt) {
  const std::string body = "#EXTM3U\n#EXTINF:-1,Rel\nlive/1.ts\n";
  test::LoopbackListener server("HTTP/1.1 200 OK\r\nContent-Type: audio/x-mpegurl\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
  auto r = runTool({"playlist", base + "/lists/tv.m3u"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("{\"name\": \"Rel\", \"url\": \"" + base + "/lists/live/1.ts\", "), std::string::npos) << r.out;
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /lists/tv.m3u HTTP/1.1\r\n", 0), 0u);
}

}  // namespace
}  // namespace tembra
