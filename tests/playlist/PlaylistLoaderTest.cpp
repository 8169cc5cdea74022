// Loading playlists through the content fetch: local files (plain, gzip,
// file:// URLs) and HTTP, relative addresses taken against the right
// origin, and content that is no playlist.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "platform/ReplyServer.h"
#include "platform/TestFiles.h"
#include "playlist/PlaylistLoader.h"
#include "playlist/PlaylistTestUtil.h"

namespace tembra {
namespace {

using playlisttest::describe;

const std::string kPlaylist =
    "#EXTM3U url-tvg=\"guide.xml\"\n"
    "#EXTINF:-1 tvg-id=\"one\" group-title=\"News\",One\nmedia/one.ts\n"
    "#EXTINF:-1,Two\n../two.ts\n"
    "#EXTINF:-1,Three\nhttp://elsewhere/three.ts\n";

PlaylistLoadResult loadFrom(const std::string& location) {
  FetchRequest request;
  request.location = location;
  return PlaylistLoader::load(request);
}

void writeGzip(const std::string& path, const std::string& content) {
  gzFile out = gzopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(gzwrite(out, content.data(), static_cast<unsigned>(content.size())), static_cast<int>(content.size()));
  gzclose(out);
}

class PlaylistLoaderFiles : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(dir_.file(name)).parent_path());
    test::writeFile(dir_.file(name), bytes);
    return dir_.file(name);
  }
  const test::TempDir dir_{"playlist-loader"};
};

TEST_F(PlaylistLoaderFiles, LocalFilesResolveAgainstTheirFolder) {
  const std::string expectedGuide = "guide.xml";
  const std::vector<std::string> expected = {
      "name=One url=" + dir_.path() + "/lists/media/one.ts groups=News tvgId=one",
      "name=Two url=" + dir_.path() + "/two.ts",
      "name=Three url=http://elsewhere/three.ts",
  };
  const std::string plain = write("lists/all.m3u", kPlaylist);
  const std::string gzip = dir_.file("lists/all.m3u.gz");
  writeGzip(gzip, kPlaylist);
  write("lists/my list.m3u", kPlaylist);
  for (const std::string& location : {plain, gzip, "file://" + dir_.path() + "/lists/my%20list.m3u",
                                      dir_.path() + "/./lists/../lists/all.m3u"}) {
    const PlaylistLoadResult result = loadFrom(location);
    ASSERT_TRUE(result.ok()) << location << ": " << result.message;
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(describe(result.playlist), expected) << location;
    EXPECT_EQ(result.playlist.guides, std::vector<std::string>{expectedGuide});
  }
}

TEST_F(PlaylistLoaderFiles, ARelativeLocationIsTakenFromTheWorkingFolder) {
  write("lists/all.m3u", kPlaylist);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path() + "/lists");
  const PlaylistLoadResult result = loadFrom("../lists/all.m3u");
  const std::string origin = PlaylistLoader::originOf("all.m3u");
  std::filesystem::current_path(before);
  ASSERT_TRUE(result.ok()) << result.message;
  ASSERT_EQ(result.playlist.channels.size(), 3u);
  EXPECT_EQ(result.playlist.channels[0].url, dir_.path() + "/lists/media/one.ts");
  EXPECT_EQ(origin, dir_.path() + "/lists");
}

TEST_F(PlaylistLoaderFiles, ContentThatIsNoPlaylist) {
  const struct {
    const char* name;
    std::string content;
  } cases[] = {
      {"empty.m3u", ""},
      {"blank.m3u", "\n \r\n\t\n"},
      {"page.m3u", "<!DOCTYPE html>\n<html><body><a href=\"http://x/\">log in</a> #EXTINF</body></html>"},
      {"bom-page.m3u", "\xEF\xBB\xBF  <html>http://x/</html>"},
      {"binary.m3u", std::string("#EXTM3U\n\0\x01\x02http://x/", 18)},
      {"text.m3u", "just some words\nand no addresses\n"},
  };
  for (const auto& c : cases) {
    const std::string path = write(c.name, c.content);
    const PlaylistLoadResult result = loadFrom(path);
    EXPECT_EQ(result.status, PlaylistLoadResult::Status::NotAPlaylist) << c.name;
    EXPECT_EQ(result.message, path + " is not a playlist");
    EXPECT_TRUE(result.playlist.channels.empty());
  }
  const std::string gzipped = dir_.file("page.m3u.gz");
  writeGzip(gzipped, "<html>not here</html>");
  EXPECT_EQ(loadFrom(gzipped).status, PlaylistLoadResult::Status::NotAPlaylist);
}

TEST_F(PlaylistLoaderFiles, AnyOfTheThreeSignsMakesAPlaylist) {
  for (const std::string content : {"#EXTM3U\n", "\xEF\xBB\xBF  #extinf:-1,x\n", "stray\nrtp://239.0.0.1:5000\n"}) {
    EXPECT_TRUE(PlaylistLoader::looksLikePlaylist(content)) << content;
    const PlaylistLoadResult result = loadFrom(write("signs.m3u", content));
    EXPECT_TRUE(result.ok()) << content << ": " << result.message;
  }
}

TEST_F(PlaylistLoaderFiles, MissingFileIsUnreadable) {
  const std::string missing = dir_.file("missing.m3u");
  const PlaylistLoadResult result = loadFrom(missing);
  EXPECT_EQ(result.status, PlaylistLoadResult::Status::Unreadable);
  EXPECT_EQ(result.fetch.error, FetchError::NotFound);
  EXPECT_EQ(result.message.rfind(missing + " could not be read: ", 0), 0u) << result.message;
  EXPECT_GT(result.message.size(), missing.size() + 20);
}

TEST(PlaylistLoaderHttp, RemotePlaylistsResolveAgainstTheirUrl) {
  test::ReplyServer server;
  server.set("/lists/all.m3u", kPlaylist);
  server.set("/maintenance.m3u", "<html><body>Come back later: http://x/</body></html>", 200, 0, "text/html");
  const std::string base = server.url("/lists/all.m3u?token=abc");
  const PlaylistLoadResult result = loadFrom(base);
  ASSERT_TRUE(result.ok()) << result.message;
  const std::vector<std::string> expected = {
      "name=One url=" + server.url("/lists/media/one.ts") + " groups=News tvgId=one",
      "name=Two url=" + server.url("/two.ts"),
      "name=Three url=http://elsewhere/three.ts",
  };
  EXPECT_EQ(describe(result.playlist), expected);
  EXPECT_EQ(server.targets("/lists/all.m3u"), std::vector<std::string>{"/lists/all.m3u?token=abc"});

  const PlaylistLoadResult page = loadFrom(server.url("/maintenance.m3u"));
  EXPECT_EQ(page.status, PlaylistLoadResult::Status::NotAPlaylist);

  const PlaylistLoadResult missing = loadFrom(server.url("/gone.m3u"));
  EXPECT_EQ(missing.status, PlaylistLoadResult::Status::Unreadable);
  EXPECT_EQ(missing.fetch.error, FetchError::HttpStatus);
  EXPECT_EQ(missing.message.rfind(server.url("/gone.m3u") + " could not be downloaded: ", 0), 0u) << missing.message;
}

}  // namespace
}  // namespace tembra
