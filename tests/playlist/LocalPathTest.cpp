#include <gtest/gtest.h>

#include "playlist/LocalPath.h"

namespace tembra {
namespace {

TEST(LocalPath, JoinsAndNormalisesByText) {
  const struct {
    const char* folder;
    const char* relative;
    const char* joined;
  } cases[] = {
      {"/home/u/tv", "a.ts", "/home/u/tv/a.ts"},
      {"/home/u/tv", "./media/../a.ts", "/home/u/tv/a.ts"},
      {"/home/u/tv", "../films/b.mkv", "/home/u/films/b.mkv"},
      {"/home/u/tv", "../../../../../x.ts", "/x.ts"},  // ".." above the root stays there
      {"/home/u/tv/", "sub//c.ts", "/home/u/tv/sub/c.ts"},
      {"/home/u/tv", "/srv/abs.ts", "/srv/abs.ts"},
      {"/", "a.ts", "/a.ts"},
      {"/", "..", "/"},
      {"", "a/../b.ts", "b.ts"},
      {"lists", "../../x.ts", "../x.ts"},  // a relative folder keeps what it cannot resolve
      {"../lists", "../x.ts", "../x.ts"},
      {"../lists", "../../x.ts", "../../x.ts"},
      {"/home/u/tv", "..a/b.ts", "/home/u/tv/..a/b.ts"},  // a name that begins with dots
      {"/home/u/tv", "", "/home/u/tv"},
      {"", "", "."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LocalPath::join(c.folder, c.relative), c.joined) << c.folder << " + " << c.relative;
}

TEST(LocalPath, FolderOfAFile) {
  EXPECT_EQ(LocalPath::folderOf("/a/b/list.m3u"), "/a/b");
  EXPECT_EQ(LocalPath::folderOf("/list.m3u"), "/");
  EXPECT_EQ(LocalPath::folderOf("list.m3u"), "");
  EXPECT_EQ(LocalPath::normalised("/a/./b/../../.."), "/");
}

}  // namespace
}  // namespace tembra
