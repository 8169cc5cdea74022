#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

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

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    char name[] = "/tmp/tembra-catalogue-XXXXXX";
    const int fd = ::mkstemp(name);
    path_ = name;
    if (fd >= 0) {
      if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) path_.clear();
      ::close(fd);
    }
  }
  ~TempFile() { ::unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A loopback HTTP server that answers every request with one canned reply.
class CannedServer {
 public:
  explicit CannedServer(std::string reply) : reply_(std::move(reply)) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd_, 4) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
      return;
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~CannedServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int requests() const { return requests_; }

 private:
  void serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int client = ::accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      std::string request;
      char buf[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<size_t>(n));
      }
      ++requests_;
      size_t sent = 0;
      while (sent < reply_.size()) {
        const ssize_t n = ::send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      ::close(client);
    }
  }

  std::string reply_;
  int fd_ = -1;
  unsigned port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};  // set by the owner, read by the serving thread
  std::atomic<int> requests_{0};   // written by the serving thread, read by the owner
};

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
  CannedServer server(httpReply("200 OK", catalogueXml()));
  auto r = runTool({"catalogue", server.url("/tv.action?type=1&uuid=abc")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kExpectedListing);
  EXPECT_EQ(server.requests(), 1);

  CannedServer failing(httpReply("500 Internal Server Error", "<channels/>"));
  r = runTool({"catalogue", failing.url("/tv.action")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err, "");
}

TEST(CatalogueCommand, TransportFailureExitsWithTwo) {
  int port = 0;
  {
    CannedServer closed("");  // bind a free port, then let it go
    port = std::stoi(closed.url("").substr(17));
  }
  auto r = runTool({"catalogue", "http://127.0.0.1:" + std::to_string(port) + "/tv.action"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err, "");
}

}  // namespace
}  // namespace tembra
