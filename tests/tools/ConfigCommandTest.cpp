#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "app/ValueCipher.h"
#include "platform/ModulePath.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

const char* kOtherKey = "00112233445566778899AABBCCDDEEFF";

class ConfigCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string tool = ModulePath::record() + "tembra-tool";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
  }

  // Runs the built tembra-tool with "config" and args.
  static testing::ToolResult config(std::vector<std::string> args) {
    args.insert(args.begin(), "config");
    return testing::runTool(args);
  }

  const test::TempDir tmp_{"configcommand"};
  const std::string dir_ = tmp_.path();
  const std::string ini_ = tmp_.file("config.ini");
};

TEST_F(ConfigCommandTest, SetThenGetRoundTripsEncipheredAndPlainValues) {
  const std::string servers = "http://127.0.0.1:8080/<EOF>http://127.0.0.2:8080/<EOF>";
  testing::ToolResult set = config({"set", ini_, "ServerUrl", servers});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  ASSERT_EQ(config({"set", ini_, "HomePage", "http://home.example/"}).exitCode, 0);
  ASSERT_EQ(config({"set", ini_, "WEB_TV_AD_POP", "Grüße 📺"}).exitCode, 0);

  const std::u16string stored = ProfileFile::ReadString(ini_, u"Quorvi", u"ServerUrl", u"");
  EXPECT_EQ(stored, ValueCipher::Instance().EncryptValue(fromUtf8(servers)));
  EXPECT_EQ(ProfileFile::ReadString(ini_, u"Quorvi", u"HomePage", u""), u"http://home.example/");

  testing::ToolResult get = config({"get", ini_, "ServerUrl"});
  EXPECT_EQ(get.exitCode, 0) << get.err;
  EXPECT_EQ(get.out, servers + "\n");
  EXPECT_EQ(config({"get", ini_, "HomePage"}).out, "http://home.example/\n");
  EXPECT_EQ(config({"get", ini_, "WEB_TV_AD_POP"}).out, "Grüße 📺\n");

  testing::ToolResult encrypt = config({"encrypt", servers});
  EXPECT_EQ(encrypt.exitCode, 0);
  EXPECT_EQ(encrypt.out, toUtf8(stored) + "\n");
  testing::ToolResult decrypt = config({"decrypt", toUtf8(stored)});
  EXPECT_EQ(decrypt.exitCode, 0);
  EXPECT_EQ(decrypt.out, servers + "\n");
}

TEST_F(ConfigCommandTest, KeyOptionChangesTheStoredFormAndOnlyThatKeyReadsIt) {
  ASSERT_EQ(config({"set", ini_, "BIServer", "http://127.0.0.1:9/collect"}).exitCode, 0);
  const std::u16string withDefault = ProfileFile::ReadString(ini_, u"Quorvi", u"BIServer", u"");
  ASSERT_EQ(config({"set", "--key", kOtherKey, ini_, "BIServer", "http://127.0.0.1:9/collect"}).exitCode, 0);
  const std::u16string withOther = ProfileFile::ReadString(ini_, u"Quorvi", u"BIServer", u"");
  EXPECT_NE(withDefault, withOther);
  EXPECT_EQ(withOther, ValueCipher(*ValueCipher::ParseKey(kOtherKey)).EncryptValue(u"http://127.0.0.1:9/collect"));

  testing::ToolResult same = config({"get", ini_, "BIServer", "--key", kOtherKey});
  EXPECT_EQ(same.exitCode, 0) << same.err;
  EXPECT_EQ(same.out, "http://127.0.0.1:9/collect\n");
  testing::ToolResult wrong = config({"get", ini_, "BIServer"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_NE(wrong.err, "");
  EXPECT_EQ(config({"decrypt", toUtf8(withOther)}).exitCode, 2);
  EXPECT_EQ(config({"decrypt", toUtf8(withOther), "--key", kOtherKey}).out, "http://127.0.0.1:9/collect\n");
}

TEST_F(ConfigCommandTest, BadArgumentsExit2AndLeaveTheFile) {
  ASSERT_EQ(config({"set", ini_, "BIServer", "old"}).exitCode, 0);
  const std::string before = test::readFile(ini_);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"get", ini_, "BIServer", "--key", "0011"},
           {"get", ini_, "BIServer", "--key", "ZZ112233445566778899AABBCCDDEEFF"},
           {"get", ini_, "BIServer", "--key"},
           {"set", ini_, "BIServer", "new", "--key", "00112233445566778899AABBCCDDEEF"},
           {"set", ini_, "BIServer", std::string(497, 'x')},
           {"set", ini_, "BIServer", ""},
           {"set", ini_, "HomePage", "line\nbreak"},
           {"set", ini_, "Bad=Key", "x"},
           {"set", ini_, "BIServer"},
           {"get", ini_},
           {"encrypt", std::string(497, 'x')},
           {"encrypt"},
           {"decrypt", "A6A6A6A6A6A6A6A6"},
           {"decrypt", "xyz"},
           {"frobnicate"},
           {}}) {
    testing::ToolResult run = config(args);
    std::string shown;
    for (const auto& a : args) shown += a.substr(0, 40) + " ";
    EXPECT_EQ(run.exitCode, 2) << shown;
    EXPECT_NE(run.err, "") << shown;
    EXPECT_EQ(run.out, "") << shown;
  }
  EXPECT_EQ(test::readFile(ini_), before);
  EXPECT_EQ(config({"set", ini_, "BIServer", std::string(496, 'x')}).exitCode, 0);
}

TEST_F(ConfigCommandTest, MissingValuesAndUnusableFiles) {
  ASSERT_EQ(config({"set", ini_, "BIServer", "x"}).exitCode, 0);
  testing::ToolResult missing = config({"get", ini_, "ServerUrl"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("ServerUrl"), std::string::npos);
  EXPECT_EQ(missing.out, "");

  EXPECT_EQ(config({"get", dir_ + "/absent.ini", "BIServer"}).exitCode, 2);
  EXPECT_EQ(config({"get", dir_, "BIServer"}).exitCode, 2);
  EXPECT_EQ(config({"set", dir_ + "/no/such/folder/config.ini", "BIServer", "x"}).exitCode, 2);
  EXPECT_EQ(config({"set", dir_, "BIServer", "x"}).exitCode, 2);

  std::ofstream(ini_, std::ios::binary) << "[Quorvi]\nBIServer=0123456789ABCDEF0123456789ABCDEF\n";
  EXPECT_EQ(config({"get", ini_, "BIServer"}).exitCode, 2);
}

}  // namespace
}  // namespace tembra
