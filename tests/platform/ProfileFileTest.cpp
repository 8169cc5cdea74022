#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include "TempDir.h"
#include "platform/TestFiles.h"

namespace tembra {
namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void put(const std::string& bytes) { test::writeFile(path_, bytes); }
  std::string contents() const { return test::readFile(path_); }
  std::u16string read(std::u16string_view section, std::u16string_view key, size_t buffer = 1024) {
    return ProfileFile::ReadString(path_, section, key, u"<none>", buffer);
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    return names;
  }

  const test::TempDir tmp_{"profilefile"};
  const std::string dir_ = tmp_.path();
  const std::string path_ = tmp_.file("config.ini");
};

TEST_F(ProfileFileTest, ReadsHandWrittenFilesTheWayTheyAreMeant) {
  put("Stray=before any section\n"
      "; a comment = not a key\n"
      "[Other]\n"
      "ServerUrl=wrong section\n"
      "  [ quorvi ]  trailing text\n"
      "  serverurl   =   value with inner  spaces   \n"
      "ServerUrl=second one loses\n"
      "Quoted = \"  kept spaces  \"\n"
      "HalfQuoted=\"open only\n"
      "Empty=\n"
      "NoEquals\n"
      "Uni=Grüße \xE2\x82\xAC \xF0\x9F\x93\xBA\n"
      "[Next]\n"
      "Late=x\n");
  EXPECT_EQ(read(u"Quorvi", u"ServerUrl"), u"value with inner  spaces");
  EXPECT_EQ(read(u"QUORVI", u" SERVERURL "), u"value with inner  spaces");
  EXPECT_EQ(read(u"Quorvi", u"Quoted"), u"  kept spaces  ");
  EXPECT_EQ(read(u"Quorvi", u"HalfQuoted"), u"\"open only");
  EXPECT_EQ(read(u"Quorvi", u"Empty"), u"");
  EXPECT_EQ(read(u"Quorvi", u"Uni"), u"Grüße € \U0001F4FA");
  EXPECT_EQ(read(u"Other", u"ServerUrl"), u"wrong section");
  EXPECT_EQ(read(u"Quorvi", u"Stray"), u"<none>");
  EXPECT_EQ(read(u"Quorvi", u"Late"), u"<none>");
  EXPECT_EQ(read(u"Quorvi", u"NoEquals"), u"<none>");
  EXPECT_EQ(read(u"Quorvi", u"; a comment"), u"<none>");
  EXPECT_EQ(read(u"Missing", u"ServerUrl"), u"<none>");
}

TEST_F(ProfileFileTest, AcceptsCrlfAndByteOrderMark) {
  put("\xEF\xBB\xBF[Quorvi]\r\nA=1\r\nB = two \r\n[X]\r\nA=3");
  EXPECT_EQ(read(u"Quorvi", u"A"), u"1");
  EXPECT_EQ(read(u"Quorvi", u"B"), u"two");
  EXPECT_EQ(read(u"X", u"A"), u"3");
}

TEST_F(ProfileFileTest, MissingFileOrFolderGivesTheDefault) {
  EXPECT_EQ(read(u"Quorvi", u"A"), u"<none>");
  EXPECT_EQ(ProfileFile::ReadString(dir_ + "/no/such/file.ini", u"Quorvi", u"A", u"d"), u"d");
  EXPECT_EQ(ProfileFile::ReadString(dir_, u"Quorvi", u"A", u"d"), u"d");  // a folder
}

TEST_F(ProfileFileTest, CutsLongValuesToTheBuffer) {
  put("[Quorvi]\nLong=" + std::string(3000, 'x') + "\nPair=ab\xF0\x9F\x93\xBA\n");
  EXPECT_EQ(read(u"Quorvi", u"Long"), std::u16string(1023, u'x'));
  EXPECT_EQ(read(u"Quorvi", u"Long", 10), std::u16string(9, u'x'));
  EXPECT_EQ(read(u"Quorvi", u"Long", 0), u"");
  // Never half a surrogate pair.
  EXPECT_EQ(read(u"Quorvi", u"Pair", 4), u"ab");
  EXPECT_EQ(read(u"Quorvi", u"Pair", 5), u"ab\U0001F4FA");
  EXPECT_EQ(read(u"Quorvi", u"Missing", 4), u"<no");
}

TEST_F(ProfileFileTest, CreatesFileAndSection) {
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"A", u"1"));
  EXPECT_EQ(contents(), "[Quorvi]\nA=1\n");
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Other", u"B", u"Grüße"));
  EXPECT_EQ(contents(), "[Quorvi]\nA=1\n[Other]\nB=Grüße\n");
  EXPECT_EQ(read(u"Other", u"B"), u"Grüße");
}

TEST_F(ProfileFileTest, ReplacesInPlaceAndKeepsEveryOtherByte) {
  const std::string before =
      "\xEF\xBB\xBF; settings\r\n[Quorvi]\r\n  ServerUrl = old value  \r\nKeep=1\r\n\r\n[Other]\r\nServerUrl=x\r\n";
  put(before);
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"quorvi", u"SERVERURL", u"new"));
  EXPECT_EQ(contents(),
            "\xEF\xBB\xBF; settings\r\n[Quorvi]\r\n  ServerUrl = new  \r\nKeep=1\r\n\r\n[Other]\r\nServerUrl=x\r\n");
  EXPECT_EQ(read(u"Other", u"ServerUrl"), u"x");
}

TEST_F(ProfileFileTest, ReplacesTheKeyThatReadingFinds) {
  put("[Quorvi]\nA=first\nA=second\n");
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"A", u"new"));
  EXPECT_EQ(contents(), "[Quorvi]\nA=new\nA=second\n");
  EXPECT_EQ(read(u"Quorvi", u"A"), u"new");
}

TEST_F(ProfileFileTest, AppendsAtTheEndOfItsSection) {
  put("[Quorvi]\r\nA=1\r\n; note\r\n\r\n[Other]\r\nB=2\r\n");
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"C", u"3"));
  EXPECT_EQ(contents(), "[Quorvi]\r\nA=1\r\n; note\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n");

  put("[Other]\nB=2\n[Quorvi]");  // header is the last line, no line break
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"C", u"3"));
  EXPECT_EQ(contents(), "[Other]\nB=2\n[Quorvi]\nC=3\n");

  put("X=1");  // no section, no final line break
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"C", u"3"));
  EXPECT_EQ(contents(), "X=1\n[Quorvi]\nC=3\n");

  put("\xEF\xBB\xBF");
  ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"C", u"3"));
  EXPECT_EQ(contents(), "\xEF\xBB\xBF[Quorvi]\nC=3\n");
}

TEST_F(ProfileFileTest, ValuesThatReadingWouldAlterAreQuoted) {
  for (std::u16string value : {u" lead", u"trail\t", u"\"quoted\"", u"\"", u"a \"mid\" b", u""}) {
    ASSERT_TRUE(ProfileFile::WriteString(path_, u"Quorvi", u"V", value));
    EXPECT_EQ(read(u"Quorvi", u"V"), value);
  }
}

TEST_F(ProfileFileTest, RefusesWhatWouldCorruptTheFile) {
  const std::string before = "[Quorvi]\nA=1\n";
  put(before);
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"A", u"x\ny"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"A", u"x\ry"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"A", std::u16string(u"x\0y", 3)));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"A\nB", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quo\nrvi", u"A", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"A=B", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"[A]", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u";A", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"Quorvi", u"  ", u"x"));
  EXPECT_FALSE(ProfileFile::WriteString(path_, u"", u"A", u"x"));
  EXPECT_EQ(contents(), before);
}

TEST_F(ProfileFileTest, FailedWritesLeaveNoTraceAndTheOldFile) {
  EXPECT_FALSE(ProfileFile::WriteString(dir_ + "/no/such/config.ini", u"Quorvi", u"A", u"1"));
  EXPECT_FALSE(ProfileFile::WriteString(dir_, u"Quorvi", u"A", u"1"));  // a folder

  const std::string before = "[Quorvi]\nA=1\n";
  put(before);
  // A full disk, made real with a file-size limit in a child process.
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {8, 8};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool ok = ProfileFile::WriteString(path_, u"Quorvi", u"A", u"a value longer than eight bytes");
    ::_exit(ok ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(entries(), std::vector<std::string>{"config.ini"});
}

TEST_F(ProfileFileTest, WriteKeepsPermissionsAndFollowsLinks) {
  put("[Quorvi]\nA=1\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  const std::string link = dir_ + "/link.ini";
  std::filesystem::create_symlink(path_, link);
  ASSERT_TRUE(ProfileFile::WriteString(link, u"Quorvi", u"A", u"2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(contents(), "[Quorvi]\nA=2\n");
  EXPECT_EQ(std::filesystem::status(path_).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  auto names = entries();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"config.ini", "link.ini"}));
}

}  // namespace
}  // namespace tembra
