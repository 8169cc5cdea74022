// Damaged, unusual and hostile archives: every failure has its own code,
// nothing half-written stays, and the reader stays usable.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "TempDir.h"
#include "ads/ZipReader.h"
#include "ads/ZipTestKit.h"

namespace tembra {
namespace {

using test::RawMember;
using test::RawZip;
using test::TempDir;

// Info-ZIP zip -P secret of "s.txt" ("secret text\n"), flag bit 3 set.
constexpr const char* kOtherPasswordZip =
    "504b03040a0009000000c4286452da89499b180000000c00000005000000732e747874d700ac7ede942edd7d5793e86a154c"
    "62205b1ddba380fccb504b0708da89499b180000000c000000504b01021e030a0009000000c4286452da89499b180000000c"
    "000000050000000000000001000000a48100000000732e747874504b05060000000001000100330000004b0000000000";

std::string fromHex(const char* hex) {
  std::string out;
  for (const char* p = hex; p[0] && p[1]; p += 2) out.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
  return out;
}

class ZipReaderDamage : public ::testing::Test {
 protected:
  // Writes the archive, opens it and extracts member index into out/.
  uint32_t extract(const std::string& archive, int32_t index = 0) {
    test::writeFile(dir.file("t.zip"), archive);
    zip.closeArchive();
    if (uint32_t code = zip.openArchive(dir.file("t.zip")); code != ZipReader::kOk) return code;
    zip.setBaseFolder(dir.file("out"));
    ZipItem item;
    if (uint32_t code = zip.getItem(index, item); code != ZipReader::kOk) return code;
    return zip.extractItem(index, item.name);
  }
  // No file at all, temporary ones included, was left in out/.
  bool outEmpty() const {
    for (auto it = std::filesystem::recursive_directory_iterator(dir.file("out"));
         it != std::filesystem::recursive_directory_iterator(); ++it)
      if (it->is_regular_file()) return false;
    return true;
  }
  void SetUp() override { ::mkdir(dir.file("out").c_str(), 0755); }

  TempDir dir{"zip-damage"};
  ZipReader zip;
};

TEST_F(ZipReaderDamage, UnsupportedMethodAndInconsistentLocalHeadersGive0x700) {
  RawMember bzip2 = RawMember::Stored("b.txt", "data");
  bzip2.method = 12;
  EXPECT_EQ(extract(RawZip::Build({bzip2})), ZipReader::kErrLocalHeader);
  ZipItem item;
  EXPECT_EQ(zip.getItem(0, item), ZipReader::kErrLocalHeader);

  // Each field of the local header that disagrees with the directory.
  for (void (*spoil)(RawMember&) : {+[](RawMember& m) { m.localSignature = 0x04034B51; },
                                    +[](RawMember& m) { m.localMethod = 0; },
                                    +[](RawMember& m) { m.localCrc = 1; },
                                    +[](RawMember& m) { m.localUncompressed = 5; },
                                    +[](RawMember& m) { m.localNameLength = 4; }}) {
    RawMember m = RawMember::Deflated("a.txt", "data data data");
    spoil(m);
    EXPECT_EQ(extract(RawZip::Build({m})), ZipReader::kErrLocalHeader);
  }
  EXPECT_TRUE(outEmpty());

  // With a data descriptor the local header may leave CRC and sizes out.
  RawMember streamed = RawMember::Deflated("s.txt", "streamed streamed");
  streamed.flags = 0x0008;
  streamed.localCrc = 0;
  streamed.localUncompressed = 0;
  EXPECT_EQ(extract(RawZip::Build({streamed})), ZipReader::kOk);
  EXPECT_EQ(test::readFile(dir.file("out/s.txt")), "streamed streamed");
}

TEST_F(ZipReaderDamage, CorruptDataFailsAndKeepsTheOldFile) {
  test::writeFile(dir.file("out/a.txt"), "old content");
  const std::string text(20000, 'x');
  RawMember garbage = RawMember::Deflated("a.txt", text);
  garbage.data[0] = static_cast<char>(0xFF);  // block type 3 does not exist
  EXPECT_EQ(extract(RawZip::Build({garbage})), ZipReader::kErrData);

  RawMember wrongCrc = RawMember::Deflated("a.txt", text);
  wrongCrc.crc ^= 1;
  wrongCrc.localCrc = wrongCrc.crc;
  EXPECT_EQ(extract(RawZip::Build({wrongCrc})), ZipReader::kErrData);

  RawMember cut = RawMember::Deflated("a.txt", text);
  cut.data.resize(cut.data.size() / 2);
  cut.compressedSize = static_cast<uint32_t>(cut.data.size());
  EXPECT_EQ(extract(RawZip::Build({cut})), ZipReader::kErrData);

  RawMember shortStored = RawMember::Stored("a.txt", "0123456789");
  shortStored.compressedSize = 4;
  EXPECT_EQ(extract(RawZip::Build({shortStored})), ZipReader::kErrData);

  EXPECT_EQ(test::readFile(dir.file("out/a.txt")), "old content");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("out")), {}), 1) << "no temporary file left";
}

TEST_F(ZipReaderDamage, AMemberNeverInflatesPastItsDeclaredSize) {
  // 10 MB of zeros declared as 1 KB: refused, and nothing near 10 MB written.
  RawMember bomb = RawMember::Deflated("bomb.bin", std::string(10u << 20, '\0'));
  bomb.uncompressedSize = 1024;
  bomb.crc = test::crcOf(std::string(1024, '\0'));
  bomb.localCrc = bomb.crc;
  EXPECT_EQ(extract(RawZip::Build({bomb})), ZipReader::kErrData);
  EXPECT_TRUE(outEmpty());
  // Declared larger than the data holds: refused too.
  RawMember small = RawMember::Deflated("small.bin", "tiny");
  small.uncompressedSize = 100;
  EXPECT_EQ(extract(RawZip::Build({small})), ZipReader::kErrData);
  EXPECT_TRUE(outEmpty());
}

TEST_F(ZipReaderDamage, EveryTruncatedPrefixFailsCleanly) {
  const std::string archive = RawZip::Build({RawMember::Deflated("a/b.txt", std::string(3000, 'q') + "end"),
                                             RawMember::Folder("c/"), RawMember::Stored("d.txt", "dd")});
  for (size_t length = 0; length < archive.size(); ++length) {
    test::writeFile(dir.file("t.zip"), archive.substr(0, length));
    ZipReader reader;
    const uint32_t opened = reader.openArchive(dir.file("t.zip"));
    // The end record is the last thing in the file: every prefix loses it.
    EXPECT_EQ(opened, ZipReader::kErrOpen) << length;
    EXPECT_EQ(reader.getItem(0, *std::make_unique<ZipItem>()), ZipReader::kErrNotOpen);
  }
  // Damage inside a whole-length file: a byte flipped anywhere never crashes,
  // and a member either comes out whole or fails.
  for (size_t at = 0; at < archive.size(); at += 7) {
    std::string damaged = archive;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    test::writeFile(dir.file("t.zip"), damaged);
    ZipReader reader;
    if (reader.openArchive(dir.file("t.zip")) != ZipReader::kOk) continue;
    reader.setBaseFolder(dir.file("flip"));
    ZipItem all;
    reader.getItem(-1, all);
    for (int32_t i = 0; i < all.index; ++i) {
      ZipItem item;
      if (reader.getItem(i, item) == ZipReader::kOk && reader.extractItem(i, item.name) == ZipReader::kOk &&
          item.name == u"a/b.txt") {
        EXPECT_EQ(test::readFile(dir.file("flip/a/b.txt")), std::string(3000, 'q') + "end") << at;
      }
    }
    std::filesystem::remove_all(dir.file("flip"));
  }
}

TEST_F(ZipReaderDamage, CallsOutOfOrderAndBadIndexes) {
  ZipItem item;
  EXPECT_EQ(zip.getItem(-1, item), ZipReader::kErrNotOpen);
  EXPECT_EQ(zip.extractItem(0, u"x"), ZipReader::kErrNotOpen);
  EXPECT_EQ(zip.closeArchive(), ZipReader::kErrNotOpen);
  EXPECT_EQ(zip.openArchive(dir.file("missing.zip")), ZipReader::kErrOpen);
  test::writeFile(dir.file("html.zip"), "<html><body>Not found</body></html>");
  EXPECT_EQ(zip.openArchive(dir.file("html.zip")), ZipReader::kErrOpen);
  EXPECT_EQ(zip.openArchive(dir.path()), ZipReader::kErrOpen) << "a folder";

  test::writeFile(dir.file("two.zip"), RawZip::Build({RawMember::Stored("a", "1"), RawMember::Stored("b", "2")}));
  ASSERT_EQ(zip.openArchive(dir.file("two.zip")), ZipReader::kOk);
  EXPECT_EQ(zip.openArchive(dir.file("two.zip")), ZipReader::kErrAlreadyOpen);
  item.name = u"stale";
  EXPECT_EQ(zip.getItem(-1, item), ZipReader::kOk);
  EXPECT_EQ(item.index, 2);
  EXPECT_TRUE(item.name.empty());
  EXPECT_EQ(zip.getItem(2, item), ZipReader::kErrArguments);
  EXPECT_EQ(zip.getItem(-2, item), ZipReader::kErrArguments);
  EXPECT_EQ(zip.extractItem(5, u"x"), ZipReader::kErrArguments);
  EXPECT_EQ(zip.setBaseFolder(""), ZipReader::kErrArguments);
  // Going back to a lower index after a higher one.
  EXPECT_EQ(zip.getItem(1, item), ZipReader::kOk);
  EXPECT_EQ(item.name, u"b");
  EXPECT_EQ(zip.getItem(0, item), ZipReader::kOk);
  EXPECT_EQ(item.name, u"a");
  EXPECT_EQ(zip.closeArchive(), ZipReader::kOk);
  EXPECT_EQ(zip.openArchive(dir.file("two.zip")), ZipReader::kOk) << "reusable after close";
}

TEST_F(ZipReaderDamage, CountsThatDisagreeOrSpanVolumesAreNoArchive) {
  std::string archive = RawZip::Build({RawMember::Stored("a", "1")});
  std::string multi = archive;
  multi[archive.size() - 22 + 4] = 1;  // this disk's number
  test::writeFile(dir.file("m.zip"), multi);
  EXPECT_EQ(zip.openArchive(dir.file("m.zip")), ZipReader::kErrOpen);
  std::string counts = archive;
  counts[archive.size() - 22 + 8] = 2;  // entries on this disk
  test::writeFile(dir.file("c.zip"), counts);
  EXPECT_EQ(zip.openArchive(dir.file("c.zip")), ZipReader::kErrOpen);
  std::string offset = archive;
  offset[archive.size() - 22 + 16] = 0x7F;  // central directory after the record
  test::writeFile(dir.file("o.zip"), offset);
  EXPECT_EQ(zip.openArchive(dir.file("o.zip")), ZipReader::kErrOpen);
}

TEST_F(ZipReaderDamage, EncryptedMembersAreTriedWithTheEmptyPassword) {
  const std::string text = "the empty password opens this\n";
  for (bool descriptor : {false, true}) {
    for (bool deflate : {false, true}) {
      RawMember m = deflate ? RawMember::Deflated("e.txt", text) : RawMember::Stored("e.txt", text);
      m.flags = descriptor ? 0x0009 : 0x0001;
      const uint8_t check = descriptor ? static_cast<uint8_t>(m.dosTime >> 8) : static_cast<uint8_t>(m.crc >> 24);
      m.data = test::TraditionalEncryptor("").Encrypt(m.data, check);
      m.compressedSize = static_cast<uint32_t>(m.data.size());
      const std::string archive = RawZip::Build({m});
      EXPECT_EQ(extract(archive), ZipReader::kOk) << descriptor << deflate;
      EXPECT_EQ(test::readFile(dir.file("out/e.txt")), text);
      if (!descriptor && !deflate) {
        // The unzip program reads the same member with the same password.
        test::writeFile(dir.file("enc.zip"), archive);
        EXPECT_EQ(test::runIn(dir.path(), {"unzip", "-q", "-o", "-P", "", "-d", dir.file("u"), dir.file("enc.zip")}), 0);
        EXPECT_EQ(test::readFile(dir.file("u/e.txt")), text);
      }
      std::filesystem::remove(dir.file("out/e.txt"));
    }
  }
  EXPECT_EQ(extract(fromHex(kOtherPasswordZip)), ZipReader::kErrPassword);
  EXPECT_TRUE(outEmpty());
}

}  // namespace
}  // namespace tembra
