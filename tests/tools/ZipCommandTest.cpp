#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "TempDir.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;
using testing::runTool;

std::vector<std::vector<std::string>> rows(const std::string& out) {
  std::vector<std::vector<std::string>> table;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream parts(line);
    for (std::string cell; std::getline(parts, cell, '\t');) cells.push_back(cell);
    table.push_back(cells);
  }
  return table;
}

class ZipCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(dir.file("src").c_str(), 0755);
    ::mkdir(dir.file("src/pages").c_str(), 0755);
    writeFile(dir.file("src/pages/index.html"), std::string(3000, 'h'));
    writeFile(dir.file("src/note.txt"), "note\n");
    const timespec t[2] = {{1600000000, 0}, {1600000000, 0}};
    ::utimensat(AT_FDCWD, dir.file("src/note.txt").c_str(), t, 0);
    const std::string command = "cd " + dir.file("src") + " && zip -q -r -X " + dir.file("a.zip") + " note.txt pages";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  TempDir dir{"zip-command"};
};

TEST_F(ZipCommand, ListPrintsOneLinePerMember) {
  auto result = runTool({"zip", "list", dir.file("a.zip")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  auto table = rows(result.out);
  ASSERT_EQ(table.size(), 4u) << result.out;
  EXPECT_EQ(table[0][0], "index");
  EXPECT_EQ(table[1], (std::vector<std::string>{"0", "note.txt", "----A 0x20", "5", "5", "2020-09-13T12:26:40Z",
                                                "2020-09-13T12:26:40Z", "2020-09-13T12:26:40Z"}));
  EXPECT_EQ(table[2][1], "pages/");
  EXPECT_EQ(table[2][2], "---DA 0x30");
  EXPECT_EQ(table[3][1], "pages/index.html");
  EXPECT_EQ(table[3][4], "3000");
  EXPECT_LT(std::stoul(table[3][3]), 3000u);
}

TEST_F(ZipCommand, ExtractReportsEachMemberAndExitsByOutcome) {
  auto result = runTool({"zip", "extract", dir.file("a.zip"), dir.file("out")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "0x0\tnote.txt\n0x0\tpages/\n0x0\tpages/index.html\n");
  EXPECT_EQ(readFile(dir.file("out/pages/index.html")), std::string(3000, 'h'));

  // The first member's method turned into 12 (bzip2) in both headers.
  std::string bytes = readFile(dir.file("a.zip"));
  bytes[8] = 12;
  const size_t central = bytes.find(std::string("PK\x01\x02", 4));
  ASSERT_NE(central, std::string::npos);
  bytes[central + 10] = 12;
  writeFile(dir.file("b.zip"), bytes);
  result = runTool({"zip", "extract", dir.file("b.zip"), dir.file("out2")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "0x700\t#0\n0x0\tpages/\n0x0\tpages/index.html\n");
  EXPECT_NE(result.err.find("1 of 3 members failed"), std::string::npos) << result.err;
  result = runTool({"zip", "list", dir.file("b.zip")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("0x700"), std::string::npos);
}

TEST_F(ZipCommand, UnreadableArchivesAndBadArguments) {
  writeFile(dir.file("page.zip"), "<html>not found</html>");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"zip", "list", dir.file("page.zip")},
           {"zip", "extract", dir.file("missing.zip"), dir.file("out")},
           {"zip", "list"},
           {"zip", "extract", dir.file("a.zip")},
           {"zip", "unpack", dir.file("a.zip"), dir.file("out")},
       }) {
    auto result = runTool(args);
    EXPECT_EQ(result.exitCode, 2) << args.back();
    EXPECT_TRUE(result.out.empty());
    EXPECT_FALSE(result.err.empty());
  }
}

}  // namespace
}  // namespace tembra
