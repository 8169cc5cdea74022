// Nothing is written outside the base folder, whatever the archive holds or
// the folder already contains; read-only files are respected.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "ads/ZipReader.h"
#include "ads/ZipTestKit.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::RawMember;
using test::RawZip;
using test::TempDir;

class ZipReaderSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(dir.file("outside").c_str(), 0755);
    ::mkdir(dir.file("base").c_str(), 0755);
  }
  // Extracts every member; the codes in member order.
  std::vector<uint32_t> extractAll(const std::vector<RawMember>& members) {
    test::writeFile(dir.file("t.zip"), RawZip::Build(members));
    ZipReader zip;
    EXPECT_EQ(zip.openArchive(dir.file("t.zip")), ZipReader::kOk);
    zip.setBaseFolder(dir.file("base"));
    std::vector<uint32_t> codes;
    for (int32_t i = 0; i < static_cast<int32_t>(members.size()); ++i) {
      ZipItem item;
      uint32_t code = zip.getItem(i, item);
      codes.push_back(code == ZipReader::kOk ? zip.extractItem(i, item.name) : code);
    }
    return codes;
  }
  // Every path below the test folder that is not below base/ (or the
  // archive itself, or the outside folder).
  std::vector<std::string> strayFiles() const {
    std::vector<std::string> stray;
    for (auto it = std::filesystem::recursive_directory_iterator(dir.path());
         it != std::filesystem::recursive_directory_iterator(); ++it) {
      const std::string p = it->path().string();
      if (p.rfind(dir.file("base"), 0) == 0 || p == dir.file("t.zip") || p == dir.file("outside")) continue;
      stray.push_back(p);
    }
    return stray;
  }
  TempDir dir{"zip-safety"};
};

TEST_F(ZipReaderSafety, HostileNamesLandInsideTheBaseFolder) {
  const char* names[] = {"../../evil1", "/tmp/evil2", "C:\\evil3\\x.txt", "a/../../evil4",
                         "..\\..\\evil5", "////evil6", "C:/evil7", "x/./../../evil8"};
  std::vector<RawMember> members;
  for (const char* n : names) members.push_back(RawMember::Stored(n, n));
  for (uint32_t code : extractAll(members)) EXPECT_EQ(code, ZipReader::kOk);
  EXPECT_TRUE(strayFiles().empty());
  EXPECT_FALSE(test::exists("/tmp/evil2"));
  EXPECT_EQ(test::readFile(dir.file("base/evil1")), "../../evil1");
  EXPECT_EQ(test::readFile(dir.file("base/tmp/evil2")), "/tmp/evil2");
  EXPECT_EQ(test::readFile(dir.file("base/evil3/x.txt")), "C:\\evil3\\x.txt");
  EXPECT_EQ(test::readFile(dir.file("base/evil4")), "a/../../evil4");
  EXPECT_EQ(test::readFile(dir.file("base/evil8")), "x/./../../evil8");
}

TEST_F(ZipReaderSafety, NamesThatStillClimbAfterCleaningAreRefused) {
  // "x/..\.." cleans to "..", and a lone trailing ".." is no folder to write.
  auto codes = extractAll({RawMember::Stored("x/..\\..", "p"), RawMember::Stored("a/..", "q"),
                           RawMember::Stored(std::string("nul\0name", 8), "r"), RawMember::Stored("", "s")});
  for (uint32_t code : codes) EXPECT_EQ(code, ZipReader::kErrOpen);
  EXPECT_TRUE(strayFiles().empty());
}

TEST_F(ZipReaderSafety, LinksAlreadyInTheFolderAreNeverFollowed) {
  ASSERT_EQ(::symlink(dir.file("outside").c_str(), dir.file("base/linkdir").c_str()), 0);
  test::writeFile(dir.file("outside/target.txt"), "outside");
  ASSERT_EQ(::symlink(dir.file("outside/target.txt").c_str(), dir.file("base/linkfile").c_str()), 0);
  auto codes = extractAll({RawMember::Stored("linkdir/new.txt", "through a link"), RawMember::Folder("linkdir/sub/"),
                           RawMember::Stored("linkfile", "replaced")});
  EXPECT_EQ(codes[0], ZipReader::kErrOpen);
  EXPECT_EQ(codes[1], ZipReader::kErrOpen);
  EXPECT_EQ(codes[2], ZipReader::kOk);
  EXPECT_FALSE(test::exists(dir.file("outside/new.txt")));
  EXPECT_FALSE(test::exists(dir.file("outside/sub")));
  EXPECT_EQ(test::readFile(dir.file("outside/target.txt")), "outside");
  // The link itself was replaced by a plain file.
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("base/linkfile").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(test::readFile(dir.file("base/linkfile")), "replaced");
}

TEST_F(ZipReaderSafety, MembersStoredAsLinksBecomePlainFiles) {
  RawMember link = RawMember::Stored("evil-link", dir.file("outside"));
  link.external = 0xA1FF0000;  // symbolic link, rwxrwxrwx
  RawMember through = RawMember::Stored("evil-link/x.txt", "x");
  auto codes = extractAll({link, through});
  EXPECT_EQ(codes[0], ZipReader::kOk);
  EXPECT_EQ(codes[1], ZipReader::kErrOpen) << "a file is in the way, not a folder";
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("base/evil-link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_FALSE(test::exists(dir.file("outside/x.txt")));
}

TEST_F(ZipReaderSafety, ReadOnlyFilesStayAndReadOnlyMembersLoseWriteBits) {
  test::writeFile(dir.file("base/locked.txt"), "keep me");
  ::chmod(dir.file("base/locked.txt").c_str(), 0444);
  RawMember dosReadOnly = RawMember::Stored("ro.txt", "read only");
  dosReadOnly.madeBy = 0x0014;  // MS-DOS
  dosReadOnly.external = kZipAttrReadOnly | kZipAttrArchive;
  RawMember unixReadOnly = RawMember::Stored("ro2.txt", "read only too");
  unixReadOnly.external = 0x81240000;  // r--r--r--
  auto codes = extractAll({RawMember::Stored("locked.txt", "new"), dosReadOnly, unixReadOnly});
  EXPECT_EQ(codes[0], ZipReader::kErrOpen);
  EXPECT_EQ(test::readFile(dir.file("base/locked.txt")), "keep me");
  for (const char* name : {"ro.txt", "ro2.txt"}) {
    struct stat st {};
    ASSERT_EQ(::stat(dir.file(std::string("base/") + name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u) << name;
  }
  EXPECT_EQ(codes[1], ZipReader::kOk);
  EXPECT_EQ(test::readFile(dir.file("base/ro.txt")), "read only");
  // Extracting the same archive again cannot replace them.
  codes = extractAll({dosReadOnly});
  EXPECT_EQ(codes[0], ZipReader::kErrOpen);
}

TEST_F(ZipReaderSafety, DirectoryMembersMakeFoldersAndFoldersAreNotReplaced) {
  RawMember dosFolder = RawMember::Stored("dos\\folder", "");
  dosFolder.madeBy = 0x0014;
  dosFolder.external = kZipAttrDirectory;
  ::mkdir(dir.file("base/taken").c_str(), 0755);
  auto codes = extractAll({RawMember::Folder("one/two/three/"), dosFolder, RawMember::Stored("taken", "file")});
  EXPECT_EQ(codes[0], ZipReader::kOk);
  EXPECT_EQ(codes[1], ZipReader::kOk);
  EXPECT_EQ(codes[2], ZipReader::kErrOpen);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("base/one/two/three")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("base/dos/folder")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("base/taken")));
}

TEST_F(ZipReaderSafety, MissingBaseFolderIsCreated) {
  test::writeFile(dir.file("t.zip"), RawZip::Build({RawMember::Stored("f.txt", "f")}));
  ZipReader zip;
  ASSERT_EQ(zip.openArchive(dir.file("t.zip")), ZipReader::kOk);
  ASSERT_EQ(zip.setBaseFolder(dir.file("new/deeper")), ZipReader::kOk);
  EXPECT_EQ(zip.baseFolder(), dir.file("new/deeper/"));
  EXPECT_EQ(zip.extractItem(0, u"f.txt"), ZipReader::kOk);
  EXPECT_EQ(test::readFile(dir.file("new/deeper/f.txt")), "f");
}

TEST_F(ZipReaderSafety, ManyFoldersInAnyOrderAllGetTheirFiles) {
  // More folders than the reader keeps open, visited back and forth.
  std::vector<RawMember> members;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "f" + std::to_string(i % 97) + "/g" + std::to_string(i % 5) + "/n" + std::to_string(i);
    members.push_back(RawMember::Stored(name, name));
  }
  for (uint32_t code : extractAll(members)) EXPECT_EQ(code, ZipReader::kOk);
  for (const RawMember& m : members) EXPECT_EQ(test::readFile(dir.file("base/" + m.name)), m.name);
  EXPECT_TRUE(strayFiles().empty());
}

}  // namespace
}  // namespace tembra
