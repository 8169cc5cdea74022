#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "platform/LoopbackListener.h"
#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

const char* const kOtherKey = "0123456789ABCDEFFEDCBA9876543210";

std::string enc(const char16_t* address, const AddressCipher::Key& key = AddressCipher::DefaultKey()) {
  return toUtf8(EncodeChannelAddress(address, key));
}

std::string catalogueXml(const AddressCipher::Key& key = AddressCipher::DefaultKey()) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<channels>"
         "<group name=\"Новости\" id=\"7\" type=\"tv\" deploy=\"1\">"
         "<channel language=\"ru\"><name>Первый</name><id>101</id><status>1</status><vip>0</vip>"
         "<lmk_address><item>" + enc(u"http://127.0.0.1/one.ts", key) + "</item></lmk_address></channel>"
         "<channel><name>Broken</name><status>1</status></channel>"
         "<channel><name>Two</name><id>102</id><status>1</status><vip>1</vip>"
         "<lmk_address><item>" + enc(u"udp://239.0.0.2:1234", key) + "</item></lmk_address></channel>"
         "</group>"
         "<group name=\"Empty\" id=\"8\"/>"
         "<group name=\"Again\" id=\"7\"/>"
         "</channels>\n";
}

const std::string kExpectedListing =
    "7\tНовости\n"
    "\t7\t101\tПервый\thttp://127.0.0.1/one.ts\n"
    "\t7\t102\tTwo\tudp://239.0.0.2:1234\n"
    "8\tEmpty\n"
    "7\tAgain\n";

// A catalogue file in a folder of its own.
class TempFile {
 public:
  explicit TempFile(const std::string& content) { test::writeFile(path(), content); }
  std::string path() const { return dir_.file("catalogue.xml"); }

 private:
  test::TempDir dir_{"tembra-catalogue"};
};

std::string url(const test::LoopbackListener& server, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(server.port()) + path;
}

std::string httpReply(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(CatalogueCommand, ListsGroupsAndChannelsOfAFile) {
  TempFile file(catalogueXml());
  auto r = runTool({"catalogue", file.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kExpectedListing);

  TempFile keyed(catalogueXml(*AddressCipher::ParseKey(kOtherKey)));
  r = runTool({"catalogue", "--key", kOtherKey, keyed.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kExpectedListing);
}

TEST(CatalogueCommand, AnEmptyCatalogueIsANegativeAnswer) {
  TempFile groupsOnly("<channels><group name=\"G\" id=\"1\"><channel><name>x</name></channel></group></channels>");
  auto r = runTool({"catalogue", groupsOnly.path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "1\tG\n");
  EXPECT_NE(r.err, "");

  TempFile notACatalogue("<html><body>maintenance</body></html>");
  r = runTool({"catalogue", notACatalogue.path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
}

TEST(CatalogueCommand, UnreadableInputAndBadArgumentsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"catalogue"}, {"catalogue", "/nonexistent/tembra/catalogue.xml"},
        {"catalogue", "a.xml", "b.xml"}, {"catalogue", "a.xml", "--key", "XYZ"}}) {
    auto r = runTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

TEST(CatalogueCommand, FetchesAUrlOverHttp) {
  test::LoopbackListener server(httpReply("200 OK", catalogueXml()));
  auto r = runTool({"catalogue", url(server, "/tv.action?type=1&uuid=abc")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kExpectedListing);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /tv.action?type=1&uuid=abc HTTP/1.1\r\n", 0), 0u);

  test::LoopbackListener failing(httpReply("500 Internal Server Error", "<channels/>"));
  r = runTool({"catalogue", url(failing, "/tv.action")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err, "");
}

TEST(CatalogueCommand, TransportFailureExitsWithTwo) {
  auto r = runTool({"catalogue", "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/tv.action"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err, "");
}

}  // namespace
}  // namespace tembra
