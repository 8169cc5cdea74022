#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <vector>

#include "LoopbackHttpServer.h"
#include "TempDir.h"
#include "platform/TestFiles.h"
#include "xmltv/XmltvFetch.h"
#include "xmltv/XmltvTestSupport.h"

namespace tembra {
namespace {

using test::channelElement;
using test::guide;
using test::programme;
using test::utc;

// Guides over HTTP on loopback: whole (gzip), missing (404), and one
// whose connection drops half-way.
class GuideServer {
 public:
  explicit GuideServer(std::string packed, std::string cut) : packed_(std::move(packed)), cut_(std::move(cut)) {
    server_.http().Get("/guide.xml.gz", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(packed_, "application/gzip");
    });
    server_.http().Get("/cut.xml", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(cut_.size() * 2, "text/xml", [this](size_t offset, size_t, httplib::DataSink& sink) {
        if (offset >= cut_.size()) return false;  // the connection drops
        sink.write(cut_.data() + offset, cut_.size() - offset);
        return true;
      });
    });
    server_.start();
  }
  std::string url(const std::string& path) const { return server_.url(path); }

 private:
  std::string packed_, cut_;
  test::LoopbackHttpServer server_;  // last: it stops before what its handlers use goes
};

std::string titleOf(const std::optional<XmltvProgramme>& p) { return p ? std::string(p->title) : "-"; }

TEST(XmltvFetch, GuidesFromUrlsAndFilesInListOrder) {
  test::TimeZone tz("UTC");
  const test::TempDir dir("xmltvfetch");
  const std::string first = guide(programme("a", "20240510100000", "20240510110000", "a from the first"));
  const std::string second = guide(channelElement("bee", {"B"}) +
                                   programme("a", "20240510100000", "20240510110000", "a from the second") +
                                   programme("bee", "20240510100000", "20240510110000", "b from the second"));
  test::writeFile(dir.file("second.xml"), second);
  GuideServer server(test::gzipped(first), "");

  std::vector<XmltvPlaylistChannel> channels = {test::byId("a"), XmltvPlaylistChannel{"", "", "b", 0}};
  const auto result = XmltvFetch::load({server.url("/guide.xml.gz"), server.url("/missing.xml"), dir.file("second.xml"),
                                        dir.file("nothing-here.xml")},
                                       channels, XmltvWindow::around(utc(2024, 5, 10)), {});
  ASSERT_EQ(result.guides.size(), 4u);
  EXPECT_TRUE(result.guides[0].ok) << result.guides[0].message;
  EXPECT_TRUE(result.guides[0].gzip);
  EXPECT_EQ(result.guides[0].location, server.url("/guide.xml.gz"));
  EXPECT_FALSE(result.guides[1].ok);
  EXPECT_NE(result.guides[1].message.find("404"), std::string::npos) << result.guides[1].message;
  EXPECT_TRUE(result.guides[2].ok) << result.guides[2].message;
  EXPECT_FALSE(result.guides[3].ok);
  EXPECT_NE(result.guides[3].message.find("could not be read"), std::string::npos) << result.guides[3].message;
  EXPECT_EQ(titleOf(result.store.now(0, utc(2024, 5, 10, 10))), "a from the first");
  EXPECT_EQ(titleOf(result.store.now(1, utc(2024, 5, 10, 10))), "b from the second");
}

TEST(XmltvFetch, ADroppedConnectionKeepsWhatCameWhole) {
  test::TimeZone tz("UTC");
  std::string body;
  for (int h = 0; h < 20; ++h) {
    char start[32];
    std::snprintf(start, sizeof start, "20240510%02d0000", h);
    body += programme("a", start, "", "hour " + std::to_string(h));
  }
  std::string whole = guide(body);
  const std::string cut = whole.substr(0, whole.find("hour 12") + 3);
  GuideServer server("", cut);
  XmltvLoader loader({test::byId("a")}, XmltvWindow::around(utc(2024, 5, 10)));
  bool readable = false;
  const XmltvGuideReport report = XmltvFetch::loadGuide(loader, server.url("/cut.xml"), {}, &readable);
  EXPECT_TRUE(readable);
  EXPECT_TRUE(report.ok);
  EXPECT_TRUE(report.cutOff);
  EXPECT_NE(report.message.find("what came before it is kept"), std::string::npos) << report.message;
  const XmltvStore store = loader.take();
  EXPECT_EQ(titleOf(store.now(0, utc(2024, 5, 10, 10, 30))), "hour 10");
  EXPECT_EQ(titleOf(store.now(0, utc(2024, 5, 10, 11, 30))), "hour 11");
  EXPECT_EQ(titleOf(store.now(0, utc(2024, 5, 10, 12, 30))), "-");
}

TEST(XmltvFetch, AStopRequestEndsTheList) {
  std::stop_source stop;
  stop.request_stop();
  const auto result = XmltvFetch::load({"/nonexistent/one.xml"}, {test::byId("a")},
                                       XmltvWindow::around(utc(2024, 5, 10)), stop.get_token());
  EXPECT_TRUE(result.guides.empty());
  EXPECT_EQ(result.store.channelOf(0), -1);
}

}  // namespace
}  // namespace tembra
