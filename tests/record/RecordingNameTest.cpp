#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "TempDir.h"
#include "TimeZone.h"
#include "record/RecordingName.h"

namespace tembra {
namespace {

TEST(RecordingNameTest, ChannelNamesBecomeSafeFileNames) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"News 24", "News 24"},
      {"AC/DC Live", "AC DC Live"},
      {"..", "Channel"},
      {".hidden", "hidden"},
      {"  spaced  ", "spaced"},
      {std::string("a\0b", 3), "a b"},
      {"tab\there\nline", "tab here line"},
      {"back\\slash", "back slash"},
      {"", "Channel"},
      {"Première Ünïcode", "Première Ünïcode"},
  };
  for (const Case& c : cases) EXPECT_EQ(RecordingName::safeName(c.in), c.out) << c.in;

  // Cut to the cap, never inside a character.
  std::string longName;
  for (int i = 0; i < 100; ++i) longName += "é";  // two bytes each
  const std::string cut = RecordingName::safeName("x" + longName);
  EXPECT_LE(cut.size(), RecordingName::kMaxNameBytes);
  EXPECT_EQ(cut.size() % 2, 1u) << "x and whole two-byte characters";
}

TEST(RecordingNameTest, FileNameCarriesTheLocalStartMinute) {
  const test::TimeZone utc("UTC");
  EXPECT_EQ(RecordingName::fileName("BBC/One", 1700000000), "BBC One - 2023-11-14 22-13.ts");
}

TEST(RecordingNameTest, VideosFolderFollowsUserDirsElseHome) {
  test::TempDir dir("recname");
  const std::string home = dir.path();
  const std::string config = dir.file("config");
  std::filesystem::create_directories(config);
  EXPECT_EQ(RecordingName::folder(home, config), home + "/Videos/Tembra Player") << "no user-dirs.dirs";

  struct Case {
    std::string line, expected;
  } cases[] = {
      {"XDG_VIDEOS_DIR=\"$HOME/Filme\"", home + "/Filme"},
      {"XDG_VIDEOS_DIR=\"/media/tv/\"", "/media/tv"},
      {"XDG_VIDEOS_DIR=\"$HOME/\"", home + "/Videos"},
      {"XDG_VIDEOS_DIR=\"relative\"", home + "/Videos"},
      {"XDG_VIDEOS_DIR=unquoted", home + "/Videos"},
      {"# XDG_VIDEOS_DIR=\"/x\"", home + "/Videos"},
  };
  for (const Case& c : cases) {
    std::ofstream(config + "/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Music\"\n" << c.line << "\n";
    EXPECT_EQ(RecordingName::videosFolder(home, config), c.expected) << c.line;
  }
}

TEST(RecordingNameTest, AnExistingRecordingIsNeverWrittenOver) {
  test::TempDir dir("recname");
  const std::string name = "News - 2024-01-01 10-00.ts";
  EXPECT_EQ(RecordingName::unusedPath(dir.path(), name), dir.file(name));
  std::ofstream(dir.file(name)) << "x";
  EXPECT_EQ(RecordingName::unusedPath(dir.path(), name), dir.file("News - 2024-01-01 10-00 (2).ts"));
  std::ofstream(dir.file("News - 2024-01-01 10-00 (2).ts")) << "x";
  EXPECT_EQ(RecordingName::unusedPath(dir.path(), name), dir.file("News - 2024-01-01 10-00 (3).ts"));
}

}  // namespace
}  // namespace tembra
