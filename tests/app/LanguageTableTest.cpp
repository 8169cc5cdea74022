#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "TempDir.h"
#include "app/LanguageTable.h"
#include "platform/ModulePath.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

const char16_t* const kKeys[] = {
    u"TV_APP_MUTEX_FAILED",  u"TV_APP_SINGLE_INSTANCE", u"TV_APP_REGISTRY_KEY",
    u"TV_WND_CAPTION_TEXT",  u"TV_WND_CREATE_XMLFAIL",  u"TV_WND_LOAD_TIMER",
    u"TV_WND_BUT_NOHOMEURL", u"TV_WND_BUT_NOUPGRADE",   u"UPDATE_DLG_CAPTION",
    u"TV_TRAY_TIP_TITLE",    u"TV_TRAY_MENU_XMLFAIL",   u"TEMBRA_ABOUT_DLG_XMLFAIL",
    u"TEMBRA_FORCEDUPGRADE_DLG_XMLFAIL", u"TV_WND_BUT_NOBROWSER", u"TV_WND_MSG_UPGRADE_TITLE",
    u"TV_WND_MSG_HOMEPAGE_TITLE",
};

class LanguageTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ModulePath::folder();
    ASSERT_EQ(mkdir((dir_ + "languages").c_str(), 0755), 0);
    ModulePath::set(dir_);
  }
  void TearDown() override { ModulePath::set(saved_); }
  void writeFile(const std::string& bytes, const std::string& folder = {}) {
    std::ofstream((folder.empty() ? dir_ : folder) + "languages/language.xml", std::ios::binary) << bytes;
  }
  static std::u16string text(std::u16string_view key) { return LanguageTable::Instance().GetText(key); }

  std::string saved_;
  const test::TempDir tmp_{"languagetable"};
  // With the trailing "/" that ModulePath folders carry.
  const std::string dir_ = tmp_.path() + "/";
};

const char kSample[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<LANGUAGE>\n"
    "  <TV_WND_CAPTION_TEXT>Tembra \xC3\xA9 &amp; Co</TV_WND_CAPTION_TEXT>\n"
    "  <TWICE>first</TWICE>\n"
    "  <EMPTY></EMPTY>\n"
    "  <SELF/>\n"
    "  <TWICE>second</TWICE>\n"
    "  <TV_WND_LOAD_TIMER>Retry in %d s</TV_WND_LOAD_TIMER>\n"
    "</LANGUAGE>\n";

TEST_F(LanguageTableTest, LooksUpKeysInTheFileBesideTheExecutable) {
  writeFile(kSample);
  EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"Tembra \u00E9 & Co");
  EXPECT_EQ(text(u"TV_WND_LOAD_TIMER"), u"Retry in %d s");
  EXPECT_EQ(text(u"TWICE"), u"first");
  EXPECT_EQ(text(u"EMPTY"), u"");
  EXPECT_EQ(text(u"SELF"), u"");
  EXPECT_EQ(text(u"MISSING"), u"");
  EXPECT_EQ(text(u"tv_wnd_caption_text"), u"");
  EXPECT_EQ(text(u""), u"");
  EXPECT_EQ(text(u"LANGUAGE"), u"");
}

TEST_F(LanguageTableTest, EveryEncodingOfTheFileGivesTheSameTexts) {
  const std::string sample = kSample;
  const size_t name = sample.find("UTF-8");
  std::u16string utf16 = fromUtf8(std::string(sample).replace(name, 5, "UTF-16"));
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t c : utf16) {
    le.push_back(static_cast<char>(c & 0xFF));
    le.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c & 0xFF));
  }
  std::string latin1 = std::string(sample).replace(name, 5, "ISO-8859-1");
  latin1.replace(latin1.find("\xC3\xA9"), 2, "\xE9");
  std::string noDeclaration = sample.substr(sample.find('\n') + 1);
  const std::string files[] = {"\xEF\xBB\xBF" + sample, le, be, latin1, noDeclaration};
  for (const auto& bytes : files) {
    writeFile(bytes);
    EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"Tembra \u00E9 & Co");
    EXPECT_EQ(text(u"TWICE"), u"first");
    EXPECT_EQ(text(u"TV_WND_LOAD_TIMER"), u"Retry in %d s");
  }
}

TEST_F(LanguageTableTest, MissingFileRootOrFolderGivesEmptyText) {
  EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"");  // no file yet

  writeFile("<language><TV_WND_CAPTION_TEXT>x</TV_WND_CAPTION_TEXT></language>");
  EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"");

  writeFile("<OTHER/><LANGUAGE><K>x</K></LANGUAGE>");
  EXPECT_EQ(text(u"K"), u"x");  // found among the top-level elements

  writeFile("<ROOT><LANGUAGE><K>x</K></LANGUAGE></ROOT>");
  EXPECT_EQ(text(u"K"), u"");  // only the top level counts

  writeFile("\xFF\xFE\x00");
  EXPECT_EQ(text(u"K"), u"");

  writeFile(kSample);
  ModulePath::set("");
  EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"");  // before start-up records the folder
}

TEST_F(LanguageTableTest, TheCurrentDirectoryIsNotConsulted) {
  writeFile(kSample);
  const test::TempDir otherDir("languagetableother");
  const std::string other = otherDir.path() + "/";
  ASSERT_EQ(mkdir((other + "languages").c_str(), 0755), 0);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);

  // The file in the current directory says one thing, the one beside the
  // "executable" another: the latter wins, and without a folder neither.
  writeFile("<LANGUAGE><TWICE>from cwd</TWICE></LANGUAGE>", other);
  ASSERT_EQ(chdir(other.c_str()), 0);
  EXPECT_EQ(text(u"TWICE"), u"first");
  ModulePath::set("");
  EXPECT_EQ(text(u"TWICE"), u"");
  ASSERT_EQ(chdir(cwd), 0);
}

TEST_F(LanguageTableTest, ShippedFileHasEveryKey) {
  ModulePath::record();
  for (const char16_t* key : kKeys) {
    EXPECT_FALSE(text(key).empty()) << toUtf8(key);
  }
  EXPECT_EQ(text(u"TV_WND_CAPTION_TEXT"), u"Tembra Player");
  std::u16string timer = text(u"TV_WND_LOAD_TIMER");
  ASSERT_NE(timer.find(u"%d"), std::u16string::npos);
  EXPECT_EQ(timer.find(u'%'), timer.rfind(u'%'));  // exactly one placeholder
  for (const char16_t* key : {u"TV_WND_BUT_NOUPGRADE", u"TV_WND_BUT_NOBROWSER"}) {
    const std::u16string withValue = text(key);
    ASSERT_NE(withValue.find(u"%s"), std::u16string::npos) << toUtf8(key);
    EXPECT_EQ(withValue.find(u'%'), withValue.rfind(u'%')) << toUtf8(key);
  }
}

}  // namespace
}  // namespace tembra
