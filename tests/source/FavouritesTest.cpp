#include "source/Favourites.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "TempDir.h"

namespace tembra {
namespace {

using Channel = Favourites::Channel;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(Favourites, ARoundTripKeepsOrderRecentAndTheSetting) {
  test::TempDir dir("favourites");
  const std::string path = dir.file("sub/favourites-1.ini");
  Favourites store(path);
  EXPECT_EQ(store.load(), Favourites::Loaded::Missing);
  EXPECT_TRUE(store.resumeLast()) << "on by default";
  EXPECT_TRUE(store.toggle({u"a", u"Arte"}));
  EXPECT_TRUE(store.toggle({u"b\tx%", u"Name\nwith breaks"}));  // bytes that would break a line
  EXPECT_TRUE(store.toggle({u"c", u"Télé"}));
  EXPECT_TRUE(store.move(u"c", -1));
  EXPECT_FALSE(store.move(u"a", -1)) << "already first";
  EXPECT_FALSE(store.move(u"zz", 1)) << "not a favourite";
  for (int i = 0; i < 25; ++i) store.noteWatched({u"r" + std::u16string(1, char16_t(u'a' + i)), u"R"});
  store.noteWatched({u"rc", u"R"});  // watched again: first, not twice
  store.setResumeLast(false);
  ASSERT_TRUE(store.save());

  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  Favourites again(path);
  EXPECT_EQ(again.load(), Favourites::Loaded::Read);
  EXPECT_EQ(again.favourites(),
            (std::vector<Channel>{{u"a", u"Arte"}, {u"c", u"Télé"}, {u"b\tx%", u"Name\nwith breaks"}}));
  ASSERT_EQ(again.recent().size(), Favourites::kRecentLimit);
  EXPECT_EQ(again.recent()[0].id, u"rc");
  EXPECT_EQ(again.recent()[1].id, u"ry");
  EXPECT_EQ(again.recent().back().id, u"rg") << "the oldest beyond twenty went";
  EXPECT_FALSE(again.resumeLast());
  EXPECT_TRUE(again.isFavourite(u"c"));
  EXPECT_FALSE(again.toggle({u"c", u""})) << "a second toggle removes";
  EXPECT_FALSE(again.isFavourite(u"c"));
}

TEST(Favourites, ARefreshThatRenamesMatchesByIdThenByName) {
  Favourites store;
  store.toggle({u"1", u"Old Name"});    // same id, new name
  store.toggle({u"2", u"Sport"});       // new id, same name
  store.toggle({u"3", u"Gone"});        // neither: kept for a later catalogue
  store.toggle({u"4", u"News"});        // its name's channel is favourite 5 already
  store.toggle({u"5", u"News"});
  store.noteWatched({u"2", u"Sport"});
  const std::vector<Channel> catalogue = {
      {u"1", u"New Name"}, {u"20", u"Sport"}, {u"5", u"News"}, {u"6", u"Other"}};
  EXPECT_TRUE(store.reconcile(catalogue));
  EXPECT_EQ(store.favourites(), (std::vector<Channel>{
                                    {u"1", u"New Name"}, {u"20", u"Sport"}, {u"3", u"Gone"}, {u"4", u"News"}, {u"5", u"News"}}));
  EXPECT_EQ(store.recent().front(), (Channel{u"20", u"Sport"}));
  EXPECT_FALSE(store.reconcile(catalogue)) << "nothing left to change";
  EXPECT_FALSE(store.reconcile({})) << "an empty catalogue changes nothing";
  EXPECT_EQ(store.favourites().size(), 5u);
}

TEST(Favourites, AFileThatCannotBeReadIsKeptAndNeverWrittenOver) {
  test::TempDir dir("favourites");
  struct Case {
    const char* what;
    std::string content;
  };
  const Case cases[] = {
      {"not our format", std::string("\x89PNG\r\n\x1a\n binary junk", 19)},
      {"too large", "[favourites]\n" + std::string(Favourites::kMaxFileBytes, 'x')},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("favourites.ini");
    writeAll(path, c.content);
    Favourites store(path);
    EXPECT_EQ(store.load(), Favourites::Loaded::Unreadable) << c.what;
    EXPECT_TRUE(store.favourites().empty());
    store.toggle({u"a", u"A"});
    EXPECT_FALSE(store.save()) << c.what;
    EXPECT_EQ(readAll(path), c.content) << c.what;
    EXPECT_TRUE(store.isFavourite(u"a")) << "the session still has it";
  }
  // A folder where the file should be.
  const std::string folder = dir.file("folder.ini");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  Favourites store(folder);
  EXPECT_EQ(store.load(), Favourites::Loaded::Unreadable);
  EXPECT_FALSE(store.save());
}

TEST(Favourites, ForeignLinesAndSectionsAreSkipped) {
  test::TempDir dir("favourites");
  const std::string path = dir.file("f.ini");
  writeAll(path,
           "; a comment\r\n[General]\r\nresume_last = 0\r\n[other]\r\nchannel=x\tX\r\n"
           "[favourites]\r\nnot a line\r\nchannel=\tNo id\r\nchannel=a\tA\r\nchannel=a\tTwice\r\nchannel=b\r\n");
  Favourites store(path);
  EXPECT_EQ(store.load(), Favourites::Loaded::Read);
  EXPECT_FALSE(store.resumeLast());
  EXPECT_EQ(store.favourites(), (std::vector<Channel>{{u"a", u"A"}, {u"b", u""}}));
  EXPECT_TRUE(store.recent().empty());
}

TEST(Favourites, PathsAreNamedAfterTheSourceAndSafe) {
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(Favourites::pathFor("3"), "/tmp/cfg/tembra/favourites-3.ini");
  EXPECT_EQ(Favourites::pathFor("../x y"), "/tmp/cfg/tembra/favourites-___x_y.ini");
  EXPECT_EQ(Favourites::pathFor(""), "/tmp/cfg/tembra/favourites-default.ini");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tembra
