// Archives made by other programs (Info-ZIP zip, bsdtar, libzip), read and
// unpacked by ZipReader.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "TempDir.h"
#include "TimeZone.h"
#include "ads/ZipReader.h"
#include "ads/ZipTime.h"
#include "ads/ZipTestKit.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::TempDir;

constexpr time_t kBaseTime = 1600000000;

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

// The tree every tool packs: text, an empty file, incompressible data,
// nested folders and an empty folder.
const std::map<std::string, std::string>& treeFiles() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> f;
    std::string page = "<html><body>";
    for (int i = 0; i < 400; ++i) page += "<p>advertisement line " + std::to_string(i) + "</p>\n";
    f["index.html"] = page + "</body></html>\n";
    f["empty.txt"] = "";
    f["img/photo.bin"] = randomBytes(40000, 7);
    f["img/deep/nested.txt"] = "nested\n";
    return f;
  }();
  return files;
}

// Each file of the tree has its own time, 100 s apart in name order.
time_t timeOf(const std::string& file) {
  time_t t = kBaseTime;
  for (const auto& entry : treeFiles()) {
    t += 100;
    if (entry.first == file) break;
  }
  return t;
}

void makeTree(const std::string& root) {
  ::mkdir(root.c_str(), 0755);
  for (const char* d : {"img", "img/deep", "emptydir"}) ::mkdir((root + "/" + d).c_str(), 0755);
  for (const auto& [name, content] : treeFiles()) {
    test::writeFile(root + "/" + name, content);
    test::setMtime(root + "/" + name, timeOf(name));
  }
}

struct Listed {
  ZipItem item;
  uint32_t extracted = 0xFFFFFFFF;
};

// Lists every member and extracts it under its cleaned name.
std::map<std::string, Listed> unpack(const std::string& archive, const std::string& base) {
  std::map<std::string, Listed> out;
  ZipReader zip;
  EXPECT_EQ(zip.openArchive(archive), ZipReader::kOk) << archive;
  EXPECT_EQ(zip.setBaseFolder(base), ZipReader::kOk);
  ZipItem all;
  EXPECT_EQ(zip.getItem(-1, all), ZipReader::kOk);
  for (int32_t i = 0; i < all.index; ++i) {
    Listed listed;
    EXPECT_EQ(zip.getItem(i, listed.item), ZipReader::kOk) << i;
    EXPECT_EQ(listed.item.index, i);
    listed.extracted = zip.extractItem(i, listed.item.name);
    out[toUtf8(listed.item.name)] = listed;
  }
  EXPECT_EQ(zip.closeArchive(), ZipReader::kOk);
  return out;
}

void expectTreeUnpacked(const std::string& out, bool exactTimes) {
  for (const auto& [name, content] : treeFiles()) {
    EXPECT_EQ(test::readFile(out + "/" + name), content) << name;
    if (exactTimes) {
      EXPECT_EQ(test::mtimeOf(out + "/" + name), timeOf(name)) << name;
    }
  }
  struct stat st {};
  EXPECT_TRUE(::stat((out + "/emptydir").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

class ZipReaderArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    makeTree(dir.file("src"));
    ::mkdir(dir.file("out").c_str(), 0755);
  }
  TempDir dir{"zip-archives"};
};

TEST_F(ZipReaderArchives, InfoZipArchiveUnpacksWithContentAttributesAndTimes) {
  ASSERT_EQ(test::runIn(dir.file("src"), {"zip", "-q", "-r", "-X", dir.file("a.zip"), "."}), 0);
  auto members = unpack(dir.file("a.zip"), dir.file("out"));
  ASSERT_EQ(members.size(), 7u);
  for (const auto& [name, m] : members) EXPECT_EQ(m.extracted, ZipReader::kOk) << name;
  expectTreeUnpacked(dir.file("out"), true);

  const ZipItem& page = members.at("index.html").item;
  EXPECT_EQ(page.attributes, kZipAttrArchive);
  EXPECT_EQ(page.uncompressedSize, treeFiles().at("index.html").size());
  EXPECT_LT(page.compressedSize, page.uncompressedSize) << "text is deflated";
  // The "UT" field carries exact seconds; the DOS time would be local and even.
  EXPECT_EQ(page.modificationTime, ZipTime::FromUnixSeconds(timeOf("index.html")));
  EXPECT_EQ(members.at("img/").item.attributes, kZipAttrArchive | kZipAttrDirectory);
  EXPECT_EQ(members.at("emptydir/").item.attributes, kZipAttrArchive | kZipAttrDirectory);
  EXPECT_EQ(members.at("empty.txt").item.uncompressedSize, 0u);
}

TEST_F(ZipReaderArchives, StoredInfoZipArchiveAndOneWithAStubInFront) {
  ASSERT_EQ(test::runIn(dir.file("src"), {"zip", "-q", "-r", "-0", dir.file("s.zip"), "."}), 0);
  const std::string stub = "#!/bin/sh\necho self-extracting stub\nexit 0\n" + randomBytes(3000, 3);
  const std::string archive = test::readFile(dir.file("s.zip"));
  test::writeFile(dir.file("stub.zip"), stub + archive);
  auto members = unpack(dir.file("stub.zip"), dir.file("out"));
  EXPECT_EQ(members.size(), 7u);
  for (const auto& [name, m] : members) {
    EXPECT_EQ(m.extracted, ZipReader::kOk) << name;
    if (m.item.attributes & kZipAttrDirectory) continue;
    EXPECT_EQ(m.item.compressedSize, m.item.uncompressedSize) << name;
  }
  expectTreeUnpacked(dir.file("out"), true);

  // zip -A rewrites the offsets to count from the file's start: no shift.
  test::writeFile(dir.file("adjusted.zip"), stub + archive);
  ASSERT_EQ(test::runIn(dir.path(), {"zip", "-q", "-A", dir.file("adjusted.zip")}), 0);
  ::mkdir(dir.file("out2").c_str(), 0755);
  for (const auto& [name, m] : unpack(dir.file("adjusted.zip"), dir.file("out2")))
    EXPECT_EQ(m.extracted, ZipReader::kOk) << name;
  expectTreeUnpacked(dir.file("out2"), true);
}

TEST_F(ZipReaderArchives, BsdtarArchiveWithDataDescriptorsAndALink) {
  ASSERT_EQ(::symlink("../index.html", dir.file("src/img/link").c_str()), 0);
  ASSERT_EQ(test::runIn(dir.file("src"), {"bsdtar", "--format", "zip", "-cf", dir.file("b.zip"), "."}), 0);
  auto members = unpack(dir.file("b.zip"), dir.file("out"));
  for (const auto& [name, m] : members) EXPECT_EQ(m.extracted, ZipReader::kOk) << name;
  EXPECT_TRUE(members.count("./img/deep/nested.txt"));
  expectTreeUnpacked(dir.file("out"), true);
  // A member stored as a link becomes a plain file holding the link's text.
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("out/img/link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(test::readFile(dir.file("out/img/link")), "../index.html");
}

TEST_F(ZipReaderArchives, LibzipArchiveWithDosTimesOnly) {
  const test::TimeZone utc("UTC0");
  const std::string big = randomBytes(5000, 1) + std::string(100000, 'z');
  ASSERT_TRUE(test::writeWithLibzip(dir.file("l.zip"), {
                                                           {"top.txt", "top\n", true, kBaseTime},
                                                           {"css/", "", false, kBaseTime},
                                                           {"css/a/b/style.css", "p{}\n", false, kBaseTime + 2},
                                                           {"big.bin", big, true, kBaseTime + 4},
                                                           {"zero", "", true, kBaseTime},
                                                       }));
  auto members = unpack(dir.file("l.zip"), dir.file("out"));
  ASSERT_EQ(members.size(), 5u);
  for (const auto& [name, m] : members) EXPECT_EQ(m.extracted, ZipReader::kOk) << name;
  EXPECT_EQ(test::readFile(dir.file("out/css/a/b/style.css")), "p{}\n");
  EXPECT_EQ(test::readFile(dir.file("out/big.bin")), big);
  EXPECT_TRUE(test::exists(dir.file("out/zero")));
  EXPECT_EQ(test::mtimeOf(dir.file("out/big.bin")), kBaseTime + 4);
  EXPECT_NE(members.at("css/").item.attributes & kZipAttrDirectory, 0u);
}

TEST_F(ZipReaderArchives, EndRecordIsFoundBehindTheLongestComment) {
  for (size_t length : {size_t{0}, size_t{1000}, size_t{65535 - 22}, size_t{65535}}) {
    std::string comment(length, 'c');
    // A comment may itself hold the signature bytes; the real record wins.
    if (length > 100) comment.replace(50, 4, std::string("PK\x05\x06", 4));
    const std::string path = dir.file("c" + std::to_string(length) + ".zip");
    test::writeFile(path, test::RawZip::Build({test::RawMember::Stored("a.txt", "abc")}, comment));
    ZipReader zip;
    ASSERT_EQ(zip.openArchive(path), ZipReader::kOk) << length;
    ZipItem all;
    zip.getItem(-1, all);
    EXPECT_EQ(all.index, 1) << length;
    zip.setBaseFolder(dir.file("out"));
    EXPECT_EQ(zip.extractItem(0, u"a.txt"), ZipReader::kOk);
  }
  // Data after the end record that pushes it out of reach: no archive.
  const std::string archive = test::RawZip::Build({test::RawMember::Stored("a.txt", "abc")});
  test::writeFile(dir.file("far.zip"), archive + std::string(65536, '\0'));
  ZipReader zip;
  EXPECT_EQ(zip.openArchive(dir.file("far.zip")), ZipReader::kErrOpen);
  EXPECT_FALSE(zip.isOpen());
  test::writeFile(dir.file("near.zip"), archive + std::string(65535 - 22, '\0'));
  EXPECT_EQ(zip.openArchive(dir.file("near.zip")), ZipReader::kOk);
}

TEST_F(ZipReaderArchives, UnzipAgreesWithWhatWasUnpacked) {
  // The same archive through the unzip program and through ZipReader.
  ASSERT_EQ(test::runIn(dir.file("src"), {"zip", "-q", "-r", dir.file("a.zip"), "."}), 0);
  ASSERT_EQ(test::runIn(dir.path(), {"unzip", "-q", "-d", dir.file("byunzip"), dir.file("a.zip")}), 0);
  unpack(dir.file("a.zip"), dir.file("out"));
  for (const auto& [name, content] : treeFiles()) {
    EXPECT_EQ(test::readFile(dir.file("out/" + name)), test::readFile(dir.file("byunzip/" + name))) << name;
    EXPECT_EQ(test::mtimeOf(dir.file("out/" + name)), test::mtimeOf(dir.file("byunzip/" + name))) << name;
  }
}

}  // namespace
}  // namespace tembra
