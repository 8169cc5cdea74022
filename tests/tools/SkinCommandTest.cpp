// tembra-tool skin check and render on copies of the shipped skin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "platform/ModulePath.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

namespace fs = std::filesystem;

using testing::runTool;
using testing::ToolResult;

// The four images another part of the program draws; stand-ins when they
// are not in the folder yet, so this checks the rest of the skin.
void addStandIns(const std::string& skin) {
  static const unsigned char kGif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff,
                                       ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
  static const unsigned char kBmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                       0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0b, 0, 0, 0x13, 0x0b, 0, 0,
                                       0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x30, 0x40, 0};
  for (const char* gif : {"frame_splash_loading.gif", "frame_channel_list_load.gif", "frame_channel_notice_load.gif"}) {
    if (!fs::exists(skin + "/" + gif)) std::ofstream(skin + "/" + gif, std::ios::binary).write(reinterpret_cast<const char*>(kGif), sizeof kGif);
  }
  if (!fs::exists(skin + "/frame_splash_bk.bmp")) {
    std::ofstream(skin + "/frame_splash_bk.bmp", std::ios::binary).write(reinterpret_cast<const char*>(kBmp), sizeof kBmp);
  }
}

void replaceIn(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = test::readFile(path);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  test::writeFile(path, text);
}

class SkinCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);  // for the tool
    skin = dir.file("Default");
    fs::copy(ModulePath::record() + "skin/Default", skin, fs::copy_options::recursive);
    addStandIns(skin);
  }
  test::TempDir dir{"skin-tool"};
  std::string skin;
};

TEST_F(SkinCommand, TheShippedSkinPassesTheCheck) {
  ToolResult r = runTool({"skin", "check", skin});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("6 layout files"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0 problems"), std::string::npos) << r.out;
}

TEST_F(SkinCommand, CheckReportsAMissingControlAWrongKindAndAMissingImage) {
  replaceIn(skin + "/MainUI.xml", "name=\"channellist\"", "name=\"chanellist\"");
  replaceIn(skin + "/TrayMenuSkin.xml", "<Button name=\"aboutbtn\"", "<Label name=\"aboutbtn\"");
  fs::remove(skin + "/frame_btn_close_hot.png");
  fs::remove(skin + "/frame_channel_playing_bk.png");
  ToolResult r = runTool({"skin", "check", skin});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("MainUI.xml: lacks the control 'channellist'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("TrayMenuSkin.xml: control 'aboutbtn' is a Label, the program needs a Button"),
            std::string::npos) << r.err;
  EXPECT_NE(r.err.find("missing image frame_btn_close_hot.png"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("missing image frame_channel_playing_bk.png"), std::string::npos) << r.err;
}

TEST_F(SkinCommand, CheckReportsParseProblemsWithTheirPlace) {
  replaceIn(skin + "/AboutDlgSkin.xml", "<Label name=\"aboutnote\"", "<Lable name=\"aboutnote\"");
  std::ofstream(skin + "/ForcedUpgradeSkin.xml", std::ios::trunc) << "<Window size=\"10,10\"><Button name=\"x\"";
  ToolResult r = runTool({"skin", "check", skin});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("AboutDlgSkin.xml:16:5: unknown control type 'Lable'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ForcedUpgradeSkin.xml: cannot be used as a window layout"), std::string::npos) << r.err;
}

TEST_F(SkinCommand, RenderWritesAPictureOfTheLayout) {
  ToolResult r = runTool({"skin", "render", skin, "MainUI.xml", dir.file("main.png"), "--sample"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("936x529"), std::string::npos) << r.out;
  EXPECT_GT(fs::file_size(dir.file("main.png")), 5000u);
  r = runTool({"skin", "render", skin, "TrayMenuSkin.xml", dir.file("menu.png"), "--size", "300x200"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("300x200"), std::string::npos) << r.out;
}

TEST_F(SkinCommand, BadArgumentsAndUnusableInput) {
  EXPECT_EQ(runTool({"skin"}).exitCode, 2);
  EXPECT_EQ(runTool({"skin", "check"}).exitCode, 2);
  EXPECT_EQ(runTool({"skin", "check", "/nonexistent-skin-folder"}).exitCode, 2);
  EXPECT_EQ(runTool({"skin", "render", skin, "MainUI.xml", "x.png", "--size", "0x5"}).exitCode, 2);
  EXPECT_EQ(runTool({"skin", "render", skin, "MainUI.xml", "x.png", "--bogus"}).exitCode, 2);
  ToolResult r = runTool({"skin", "render", skin, "Nothing.xml", dir.file("n.png")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot read the layout file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tembra
