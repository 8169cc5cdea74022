#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/ModulePath.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;
using testing::ToolResult;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  size_t b = 0;
  for (size_t tab; (tab = line.find('\t', b)) != std::string::npos; b = tab + 1) out.push_back(line.substr(b, tab - b));
  out.push_back(line.substr(b));
  return out;
}

TEST(XmlCommand, ListsTheShippedLanguageFile) {
  const std::string file = ModulePath::record() + "languages/language.xml";
  ToolResult r = runTool({"xml", file});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  auto ls = lines(r.out);
  ASSERT_GE(ls.size(), 3u);
  EXPECT_NE(ls[0].find("<read "), std::string::npos) << ls[0];
  EXPECT_NE(ls[0].find("UTF-8"), std::string::npos) << ls[0];

  auto root = fields(ls[1]);
  ASSERT_EQ(root.size(), 5u) << ls[1];
  EXPECT_EQ(root[0], "0");
  EXPECT_EQ(root[1], "LANGUAGE");
  EXPECT_EQ(root[4].substr(0, 2), "0x");

  bool sawCaption = false;
  for (size_t i = 2; i < ls.size(); ++i) {
    auto f = fields(ls[i]);
    ASSERT_EQ(f.size(), 5u) << ls[i];
    EXPECT_EQ(f[0], "1") << ls[i];
    if (f[1] == "TV_WND_CAPTION_TEXT") sawCaption = true;
  }
  EXPECT_TRUE(sawCaption);
  EXPECT_GE(ls.size(), 2u + 13u);  // the report, LANGUAGE and at least the thirteen keys
}

TEST(XmlCommand, IllFormedMissingAndBadArguments) {
  const test::TempDir tmp("xmlcommand");
  const std::string dir = tmp.path();
  std::ofstream(dir + "/bad.xml") << "<a><b></b></c></a>";

  ToolResult bad = runTool({"xml", dir + "/bad.xml"});
  EXPECT_EQ(bad.exitCode, 1);
  auto ls = lines(bad.out);
  ASSERT_EQ(ls.size(), 3u) << bad.out;
  EXPECT_NE(ls[0].find("lone_end_tag"), std::string::npos) << ls[0];
  EXPECT_EQ(fields(ls[1])[1], "a");
  EXPECT_EQ(fields(ls[2])[1], "b");

  ToolResult missing = runTool({"xml", dir + "/missing.xml"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.out.find("file_error"), std::string::npos) << missing.out;

  EXPECT_EQ(runTool({"xml"}).exitCode, 2);
  EXPECT_EQ(runTool({"xml", "a", "b"}).exitCode, 2);
}

}  // namespace
}  // namespace tembra
