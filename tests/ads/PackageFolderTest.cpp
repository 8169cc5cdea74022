#include "ads/PackageFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "ads/ZipTestKit.h"

namespace tembra {
namespace {

using test::RawMember;
using test::RawZip;
using test::TempDir;

class PackageFolderTest : public ::testing::Test {
 protected:
  std::string folder() const { return dir.file("Advertise/Fix"); }
  PackageFolder::Result install(const std::string& bytes) {
    test::writeFile(dir.file("pkg.zip"), bytes);
    return PackageFolder::Install(dir.file("pkg.zip"), folder());
  }
  // Names in Advertise/ (to see that no temporary folder stayed).
  std::vector<std::string> advertiseEntries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("Advertise")))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void installOld() {
    ASSERT_TRUE(install(RawZip::Build({RawMember::Stored("index.html", "old page"),
                                       RawMember::Stored("old-only.txt", "o")}))
                    .installed);
  }
  TempDir dir{"ad-package"};
};

TEST_F(PackageFolderTest, NewPackageReplacesTheFolderWhole) {
  auto first = install(RawZip::Build({RawMember::Stored("index.html", "old page"), RawMember::Stored("old-only.txt", "o")}));
  ASSERT_TRUE(first.installed) << first.problem;
  EXPECT_EQ(first.members, 2u);
  EXPECT_EQ(test::readFile(folder() + "/index.html"), "old page");
  auto second = install(RawZip::Build({RawMember::Deflated("index.html", "new page"), RawMember::Folder("css/"),
                                       RawMember::Stored("css/s.css", "s")}));
  ASSERT_TRUE(second.installed) << second.problem;
  EXPECT_EQ(test::readFile(folder() + "/index.html"), "new page");
  EXPECT_EQ(test::readFile(folder() + "/css/s.css"), "s");
  EXPECT_FALSE(test::exists(folder() + "/old-only.txt"));
  EXPECT_EQ(advertiseEntries(), std::vector<std::string>{"Fix"});
}

TEST_F(PackageFolderTest, BodiesThatAreNoUsablePackageKeepTheOldFolder) {
  installOld();
  RawMember broken = RawMember::Deflated("index.html", std::string(5000, 'n'));
  broken.data[0] = static_cast<char>(0xFF);
  RawMember bzip2 = RawMember::Stored("b.txt", "b");
  bzip2.method = 12;
  const std::string whole = RawZip::Build({RawMember::Deflated("index.html", std::string(5000, 'n'))});
  const std::string bodies[] = {
      "<!DOCTYPE html><html><body><h1>Service unavailable</h1></body></html>",
      whole.substr(0, whole.size() / 2),  // a cut-off download
      "",
      RawZip::Build({}),
      RawZip::Build({RawMember::Stored("fine.txt", "f"), broken}),
      RawZip::Build({RawMember::Stored("fine.txt", "f"), bzip2}),
      RawZip::Build({RawMember::Stored("../../escape.txt", "e"), RawMember::Stored("x/..", "y")}),
  };
  for (const std::string& body : bodies) {
    auto result = install(body);
    EXPECT_FALSE(result.installed) << body.size();
    EXPECT_FALSE(result.problem.empty());
    EXPECT_EQ(test::readFile(folder() + "/index.html"), "old page");
    EXPECT_TRUE(test::exists(folder() + "/old-only.txt"));
    EXPECT_EQ(advertiseEntries(), std::vector<std::string>{"Fix"});
  }
}

TEST_F(PackageFolderTest, DeclaredSizesOverTheCapAreRefusedBeforeUnpacking) {
  installOld();
  // Two members declaring 200 MiB each; their data is a few bytes.
  RawMember a = RawMember::Stored("a.bin", "a");
  a.uncompressedSize = 200u << 20;
  RawMember b = a;
  b.name = "b.bin";
  auto result = install(RawZip::Build({a, b}));
  EXPECT_FALSE(result.installed);
  EXPECT_NE(result.problem.find("declare"), std::string::npos) << result.problem;
  EXPECT_FALSE(test::exists(folder() + "/a.bin"));
  EXPECT_EQ(test::readFile(folder() + "/index.html"), "old page");
}

TEST_F(PackageFolderTest, LeftoversOfAnInterruptedInstallAreRemoved) {
  installOld();
  ::mkdir(dir.file("Advertise/.Fix.tmp-abc123").c_str(), 0700);
  test::writeFile(dir.file("Advertise/.Fix.tmp-abc123/half.html"), "half");
  test::writeFile(dir.file("Advertise/.Fix.zip.tmp-xyz"), "half a download");
  test::writeFile(dir.file("Advertise/keep.txt"), "not ours");
  ASSERT_TRUE(install(RawZip::Build({RawMember::Stored("index.html", "again")})).installed);
  EXPECT_EQ(advertiseEntries(), (std::vector<std::string>{".Fix.zip.tmp-xyz", "Fix", "keep.txt"}));
  PackageFolder::RemoveLeftovers(dir.file("Advertise/Fix.zip"));
  EXPECT_EQ(advertiseEntries(), (std::vector<std::string>{"Fix", "keep.txt"}));
}

TEST_F(PackageFolderTest, FolderMissingOrAFileInTheWay) {
  ASSERT_TRUE(install(RawZip::Build({RawMember::Stored("index.html", "first")})).installed) << "Advertise/ created";
  std::filesystem::remove_all(folder());
  test::writeFile(folder(), "a file where the folder goes");
  auto result = install(RawZip::Build({RawMember::Stored("index.html", "second")}));
  ASSERT_TRUE(result.installed) << result.problem;
  EXPECT_EQ(test::readFile(folder() + "/index.html"), "second");
}

}  // namespace
}  // namespace tembra
