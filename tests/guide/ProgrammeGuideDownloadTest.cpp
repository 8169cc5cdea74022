// Downloads against canned loopback servers: the bytes on the wire, what
// reaches the transfer file, and every way an exchange can fail.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "guide/GuideTransfer.h"

#include <climits>

#include "TempDir.h"
#include "guide/GuideTestSupport.h"
#include "guide/ProgrammeGuide.h"
#include "platform/LoopbackListener.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::At;
using test::Http200;
using test::LoopbackListener;
using test::ReplyBody;
using test::ReplyChannel;
using Status = GuideDownloadStatus;
using Steps = std::vector<LoopbackListener::Step>;

const std::string kBody = ReplyBody({{"1", "One", {"10:00:00|Ten", "12:00:00|Noon"}}, {"2", "Two", {"08:00:00|A"}}});

class GuideDownload : public ::testing::Test {
 protected:
  std::unique_ptr<ProgrammeGuide> Make(const std::string& url, std::u16string uuid = u"u-1") {
    return test::MakeGuide(url, std::move(uuid), &clock_, dir_.path(), limits_);
  }
  static std::string Url(uint16_t port) { return "http://127.0.0.1:" + std::to_string(port); }
  std::string Transfer() const { return test::readFile(dir_.file("tv.xml")); }

  test::TempDir dir_{"guide-download"};
  FixedClock clock_{At(2024, 5, 9, 12, 0, 0)};
  GuideLimits limits_;
};

TEST_F(GuideDownload, RequestBytesCarryTheTargetDateAndTheConfiguredHost) {
  LoopbackListener server(Http200(kBody));
  auto guide = Make(Url(server.port()) + "/some/path");
  ASSERT_EQ(guide->DownloadWithStatus(1), Status::Stored);
  const std::string port = std::to_string(server.port());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /tvitem.action?type=1&uuid=u-1&startdate=2024-05-10&enddate=2024-05-10 HTTP/1.0\r\n"
            "Accept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\nHost: 127.0.0.1:" +
                port + "\r\nUser-Agent: xxx\r\n\r\n");
  EXPECT_EQ(Transfer(), kBody);
  ASSERT_EQ(guide->dayList(1)->size(), 2u);
  EXPECT_EQ(guide->dayList(1)->channels()[0].dayKey, u"10");
  EXPECT_EQ(guide->GetDayState(1), ProgrammeGuide::DayState::Loaded);
  EXPECT_EQ(guide->GetDayState(0), ProgrammeGuide::DayState::NotLoaded);

  // The Host header holds the name as configured, not what it resolved to;
  // the date is the clock's at the download, rolled into the next year.
  clock_.Set(At(2024, 12, 31, 23, 59, 59));
  guide->UpdateService(u"ignored", fromUtf8("http://localhost:" + port));
  ASSERT_TRUE(guide->Download(1));
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_NE(server.requests()[1].find("uuid=u-1&startdate=2025-01-01&enddate=2025-01-01 HTTP/1.0\r\n"),
            std::string::npos)
      << server.requests()[1];
  EXPECT_NE(server.requests()[1].find("\r\nHost: localhost:" + port + "\r\n"), std::string::npos);
  clock_.Set(At(2025, 1, 31));
  ASSERT_TRUE(guide->Download(2));
  EXPECT_NE(server.requests()[2].find("startdate=2025-02-02&enddate=2025-02-02 "), std::string::npos);
}

TEST_F(GuideDownload, TheStatusCheckAcceptsA404With200InAHeaderAndRefusesTheRest) {
  LoopbackListener lenient("HTTP/1.1 404 Not Found\r\nX-Request: 8200\r\n\r\n" + kBody);
  auto guide = Make(Url(lenient.port()));
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::Stored);
  EXPECT_EQ(Transfer(), kBody);
  EXPECT_EQ(guide->dayList(0)->size(), 2u);

  const std::string longLine = "HTTP/1.1 200 OK " + std::string(100 - 16, 'x');
  ASSERT_EQ(longLine.size(), 100u);
  const std::string refused[] = {"HTTP/1.1 404 Not Found\r\n\r\n<tvlist><tv id=\"9\"/></tvlist>",
                                 longLine + "\r\n\r\n" + kBody, std::string()};
  for (const std::string& reply : refused) {
    LoopbackListener strict(reply);
    guide->UpdateService(u"", fromUtf8(Url(strict.port())));
    EXPECT_EQ(guide->DownloadWithStatus(0), Status::Rejected) << reply.substr(0, 30);
    EXPECT_EQ(strict.connections(), 1);
    // The list loaded before stays, and the day is not marked empty.
    EXPECT_EQ(guide->dayList(0)->size(), 2u);
    EXPECT_FALSE(guide->dayEmpty(0));
  }
}

TEST_F(GuideDownload, AFirstBlockWithoutTheBlankLineIsStoredWhole) {
  const std::string reply = "HTTP/1.0 200 OK\r\n" + kBody;
  LoopbackListener server(reply);
  auto guide = Make(Url(server.port()));
  ASSERT_TRUE(guide->Download(0));
  EXPECT_EQ(Transfer(), reply);
  // The document still finds the channels after the status line.
  EXPECT_EQ(guide->dayList(0)->size(), 2u);
}

TEST_F(GuideDownload, HeadersArrivingInPiecesAreStillRemoved) {
  // The first block is filled before it is looked at, so a pause after
  // the first header does not leave the rest of them in the body.
  const std::string first = "HTTP/1.0 200 OK\r\nX-One: 1\r\n";
  const std::string rest = "X-Two: 2\r\n\r\n" + kBody;
  LoopbackListener server(Steps{{first, 300}, {rest, 0}});
  auto guide = Make(Url(server.port()));
  ASSERT_TRUE(guide->Download(0));
  EXPECT_EQ(Transfer(), kBody);
  EXPECT_EQ(guide->dayList(0)->size(), 2u);
}

TEST_F(GuideDownload, ABodyAcrossManyBlocksArrivesWhole) {
  std::vector<ReplyChannel> channels;
  for (int c = 0; c < 300; ++c) channels.push_back({std::to_string(c), "Ch " + std::to_string(c), {"01:00:00|x", "02:00:00|y"}});
  const std::string body = ReplyBody(channels);
  ASSERT_GT(body.size(), 20u * 1440);
  Steps steps{{"HTTP/1.1 200 OK\r\n\r\n" + body.substr(0, 1000), 50}};
  for (size_t at = 1000; at < body.size(); at += 7000) steps.push_back({body.substr(at, 7000), 5});
  LoopbackListener server(steps);
  auto guide = Make(Url(server.port()));
  ASSERT_TRUE(guide->Download(2));
  EXPECT_EQ(Transfer(), body);
  EXPECT_EQ(guide->dayList(2)->size(), 300u);
  EXPECT_EQ(guide->dayList(2)->programmeCount(), 600u);
}

TEST_F(GuideDownload, AnAcceptedReplyWithoutChannelsMarksTheDayEmptyForGood) {
  LoopbackListener empty(Http200("<html><body>maintenance</body></html>"));
  auto guide = Make(Url(empty.port()));
  EXPECT_TRUE(guide->Download(1));
  EXPECT_TRUE(guide->dayEmpty(1));
  EXPECT_EQ(guide->GetDayState(1), ProgrammeGuide::DayState::Empty);
  std::vector<GuideRow> rows;
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, false), ProgrammeGuide::kNothing);
  EXPECT_FALSE(guide->downloadRunning());

  LoopbackListener full(Http200(kBody));
  guide->UpdateService(u"", fromUtf8(Url(full.port())));
  EXPECT_TRUE(guide->Download(1));
  EXPECT_EQ(guide->dayList(1)->size(), 2u);
  EXPECT_TRUE(guide->dayEmpty(1)) << "the mark is never cleared";
  EXPECT_EQ(guide->GetDayList(1, u"1", rows, true), ProgrammeGuide::kNothing);
}

// A reply cut off in the middle (or not well-formed) is a failed download:
// the day keeps what it had and is asked for again, not marked empty.
TEST_F(GuideDownload, ABrokenReplyFailsAndLeavesTheDayToBeAskedAgain) {
  const std::string cut = kBody.substr(0, kBody.find("Noon"));
  LoopbackListener broken(Http200(cut));
  auto guide = Make(Url(broken.port()));
  EXPECT_EQ(guide->DownloadWithStatus(1), Status::Malformed);
  EXPECT_FALSE(guide->dayEmpty(1));
  EXPECT_EQ(guide->GetDayState(1), ProgrammeGuide::DayState::NotLoaded);

  LoopbackListener full(Http200(kBody));
  guide->UpdateService(u"", fromUtf8(Url(full.port())));
  EXPECT_EQ(guide->DownloadWithStatus(1), Status::Stored);
  ASSERT_EQ(guide->dayList(1)->size(), 2u);
  // A broken reply later does not replace the list the day has.
  LoopbackListener illFormed(Http200("<r><tv id=\"1\"><tvname>One</tvname></tv></x></r>"));
  guide->UpdateService(u"", fromUtf8(Url(illFormed.port())));
  EXPECT_EQ(guide->DownloadWithStatus(1), Status::Malformed);
  EXPECT_EQ(guide->dayList(1)->size(), 2u);
  EXPECT_STREQ(DescribeGuideDownloadStatus(Status::Malformed), "reply is broken XML");
}

TEST_F(GuideDownload, NoSessionOrValuesOverTheirLimitsSendNothing) {
  LoopbackListener server(Http200(kBody));
  EXPECT_EQ(Make(Url(server.port()), u"")->DownloadWithStatus(0), Status::NoSession);
  EXPECT_EQ(Make(Url(server.port()), std::u16string(41, u'a'))->DownloadWithStatus(0), Status::BadValue);
  EXPECT_EQ(Make(Url(server.port()), u"a\r\nX-Injected: 1")->DownloadWithStatus(0), Status::BadValue);
  EXPECT_EQ(Make("http://" + std::string(64, 'h') + ":80")->DownloadWithStatus(0), Status::BadValue);
  EXPECT_EQ(Make(Url(server.port()))->DownloadWithStatus(3), Status::BadDay);
  EXPECT_EQ(server.connections(), 0);
  EXPECT_NE(::access(dir_.file("tv.xml").c_str(), F_OK), 0) << "nothing was sent, so nothing was stored";

  // A session id arriving later is taken; a held one is never replaced.
  auto guide = Make(Url(server.port()), u"");
  guide->UpdateService(u"late-id", fromUtf8(Url(server.port())));
  guide->UpdateService(u"other-id", fromUtf8(Url(server.port())));
  EXPECT_TRUE(guide->Download(0));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_NE(server.requests()[0].find("&uuid=late-id&"), std::string::npos);
}

TEST_F(GuideDownload, RefusedAndSilentServersFailWithinTheLimits) {
  auto refused = Make(Url(test::refusedPort()));
  EXPECT_EQ(refused->DownloadWithStatus(0), Status::NoConnection);
  EXPECT_EQ(Make("http://127.0.0.1:0")->DownloadWithStatus(0), Status::NoConnection);

  limits_.idleMs = 300;
  LoopbackListener silent("", LoopbackListener::Mode::Silent);
  auto guide = Make(Url(silent.port()));
  ASSERT_TRUE(guide->LoadDay(0, (test::writeFile(dir_.file("old.xml"), kBody), dir_.file("old.xml"))));
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::Stalled);
  EXPECT_EQ(guide->dayList(0)->size(), 2u);

  // Data that keeps coming, but too slowly to end within the total limit.
  limits_.idleMs = 5000;
  limits_.totalMs = 500;
  Steps steps{{"HTTP/1.0 200 OK\r\n\r\n<tvlist>", 100}};
  for (int i = 0; i < 30; ++i) steps.push_back({"<tv id=\"" + std::to_string(i) + "\"/>", 100});
  LoopbackListener trickle(steps);
  EXPECT_EQ(Make(Url(trickle.port()))->DownloadWithStatus(0), Status::TimedOut);

  // A server that stalls after its first block.
  limits_.idleMs = 300;
  limits_.totalMs = 60000;
  LoopbackListener halfway(Steps{{"HTTP/1.0 200 OK\r\n\r\n<tvlist>", 0}}, LoopbackListener::End::Hold);
  EXPECT_EQ(Make(Url(halfway.port()))->DownloadWithStatus(0), Status::Stalled);
  // Nothing is stored of a block that never filled.
  EXPECT_EQ(Transfer(), "");
}

TEST_F(GuideDownload, AnEndlessReplyStopsAtTheSizeLimit) {
  limits_.maxBodyBytes = 100000;
  LoopbackListener endless(Steps{{"HTTP/1.0 200 OK\r\n\r\n<tvlist>", 0}}, LoopbackListener::End::Endless);
  auto guide = Make(Url(endless.port()));
  EXPECT_EQ(guide->DownloadWithStatus(0), Status::TooLarge);
  struct stat info {};
  ASSERT_EQ(::stat(dir_.file("tv.xml").c_str(), &info), 0);
  EXPECT_LE(info.st_size, 100000);
  EXPECT_GT(info.st_size, 100000 - static_cast<long>(GuideTransfer::kBlockBytes));
  EXPECT_EQ(guide->GetDayState(0), ProgrammeGuide::DayState::TooLarge);

  // Exactly at the limit is still a reply.
  const std::string body = ReplyBody({{"1", "One", {"10:00:00|Ten"}}});
  limits_.maxBodyBytes = body.size();
  LoopbackListener fits(Http200(body));
  EXPECT_EQ(Make(Url(fits.port()))->DownloadWithStatus(0), Status::Stored);
}

TEST_F(GuideDownload, TheTransferFileIsTvXmlInTheCurrentDirectoryByDefault) {
  LoopbackListener server(Http200(kBody));
  char previous[PATH_MAX];
  ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
  {
    ProgrammeGuide::Options options;
    options.clock = &clock_;
    options.creationDownloads = false;
    ProgrammeGuide guide(fromUtf8(Url(server.port())), u"u-1", u"1", options);
    EXPECT_EQ(guide.transferPath(), "tv.xml");
    EXPECT_TRUE(guide.Download(0));
  }
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(Transfer(), kBody);
}

}  // namespace
}  // namespace tembra
