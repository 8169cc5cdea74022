// The refresh pass against a service whose replies each test sets.
#include "ads/AdUpdater.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ads/AdTestKit.h"
#include "ads/ZipTestKit.h"
#include "platform/HttpLimits.h"

namespace tembra {
namespace {

using Action = AdRefreshReport::Action;
using End = AdRefreshReport::End;
using test::AdService;

class AdUpdaterTest : public ::testing::Test {
 protected:
  AdRefreshReport pass(std::u16string server) {
    return AdUpdater::RunPass({program.path(), &program.config(), std::move(server), &window});
  }
  void TearDown() override { HttpLimits::Reset(); }

  test::ProgramFolder program;
  test::AdRecordingWindow window{&program.config()};
  AdService service;
};

TEST_F(AdUpdaterTest, TwoAdsForOneSlotBothCompareWithTheValueBeforeThePass) {
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"100<EOF>Advertise\\Fix\\index.html"));
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "150", "http://a/first"},
                                                   {"WEB_TV_AD_RIGHT", "1", "120", "http://a/second"},
                                                   {"WEB_TV_AD_RIGHT", "1", "100", "http://a/third"}}));
  auto report = pass(service.server());
  ASSERT_EQ(report.end, End::Done);
  ASSERT_EQ(report.ads.size(), 3u);
  EXPECT_EQ(report.ads[0].action, Action::LinkStored);
  EXPECT_EQ(report.ads[1].action, Action::LinkStored) << "120 is compared with 100, not with 150";
  EXPECT_EQ(report.ads[2].action, Action::UpToDate);
  EXPECT_EQ(program.right(), "http://a/second");
  // One message per right-pane ad, each after its value was written.
  EXPECT_EQ(window.sentIds(), (std::vector<uint32_t>(3, WM_AD_UPDATED)));
  for (const auto& m : window.sent()) EXPECT_TRUE(m.wParam == 0 && m.lParam == 0);
  EXPECT_EQ(window.seen(), (std::vector<std::string>{"http://a/first", "http://a/second", "http://a/second"}));
  EXPECT_TRUE(window.posted().empty());
}

TEST_F(AdUpdaterTest, LinkValuesHaveNoTimeSoAnyPositiveTimeWritesAgain) {
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_POP", "1", "1", "http://a/pop"},
                                                   {"WEB_TV_AD_RIGHT", "1", "0", "http://a/never"},
                                                   {"WEB_TV_AD_RIGHT", "3", "9", "http://a/other-type"}}));
  for (int round = 0; round < 2; ++round) {
    auto report = pass(service.server());
    ASSERT_EQ(report.ads.size(), 3u);
    EXPECT_EQ(report.ads[0].action, Action::LinkStored) << round;
    EXPECT_EQ(report.ads[1].action, Action::UpToDate);
    EXPECT_EQ(report.ads[2].action, Action::UnknownType);
  }
  EXPECT_EQ(program.pop(), "http://a/pop");
  EXPECT_TRUE(program.right().empty());
}

TEST_F(AdUpdaterTest, NoServerBadReplyOrDeadWindowChangeNothing) {
  EXPECT_EQ(pass(u"").end, End::NoServer);
  EXPECT_TRUE(service.targets().empty());
  // No manifest set: 404 with an HTML page.
  EXPECT_EQ(pass(service.server()).end, End::NoManifest);
  // A manifest-shaped body under an error status is not trusted either.
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "5", "http://a/x"}}), 500);
  EXPECT_EQ(pass(service.server()).end, End::NoManifest);
  service.set("/pcad.action", "");
  EXPECT_EQ(pass(service.server()).end, End::NoManifest);
  EXPECT_TRUE(window.sent().empty());
  EXPECT_TRUE(program.right().empty());

  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "5", "http://a/x"}}));
  window.alive_ = false;
  auto report = pass(service.server());
  EXPECT_EQ(report.messagesSent, 0);
  EXPECT_TRUE(window.sent().empty());
  EXPECT_EQ(program.right(), "http://a/x") << "the value is still stored for the next start";
}

TEST_F(AdUpdaterTest, PackagesAreRecordedOnlyOnceUnpacked) {
  const std::string package = test::RawZip::Build({test::RawMember::Deflated("index.html", "<p>ad</p>")});
  service.set("/fix.zip", package);
  service.set("/html.zip", "<html>sorry</html>");
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "2", "7", service.base() + "html.zip"},
                                                   {"WEB_TV_AD_POP", "2", "8", service.base() + "missing.zip"}}));
  auto report = pass(service.server());
  EXPECT_EQ(report.ads[0].action, Action::PackageRefused);
  EXPECT_EQ(report.ads[1].action, Action::DownloadFailed);
  EXPECT_EQ(report.ads[1].detail, "status 404");
  EXPECT_TRUE(program.right().empty());
  EXPECT_FALSE(test::exists(program.file("Advertise/Fix.zip")));
  EXPECT_FALSE(test::exists(program.file("Advertise/Fix")));
  EXPECT_EQ(window.sent().size(), 1u);

  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "2", "7", service.base() + "fix.zip"}}));
  report = pass(service.server());
  EXPECT_EQ(report.ads[0].action, Action::PackageStored) << report.ads[0].detail;
  EXPECT_EQ(program.right(), "7<EOF>Advertise\\Fix\\index.html");
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix/index.html")), "<p>ad</p>");
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix.zip")), package);
  EXPECT_EQ(window.seen().back(), "7<EOF>Advertise\\Fix\\index.html");
}

// An installed copy whose config.ini already records both packages but
// whose program folder holds none of their files: the times match the
// manifest, yet the pages must come back.
TEST_F(AdUpdaterTest, ARecordedPackageWhosePageIsGoneIsFetchedAgain) {
  const std::string fix = test::RawZip::Build({test::RawMember::Deflated("index.html", "<p>fix</p>")});
  const std::string pop = test::RawZip::Build({test::RawMember::Deflated("index.html", "<p>pop</p>")});
  service.set("/fix.zip", fix);
  service.set("/pop.zip", pop);
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"7<EOF>Advertise\\Fix\\index.html"));
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_POP", u"9<EOF>Advertise\\Pop\\index.html"));
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "2", "7", service.base() + "fix.zip"},
                                                   {"WEB_TV_AD_POP", "2", "8", service.base() + "pop.zip"}}));
  auto report = pass(service.server());
  ASSERT_EQ(report.ads.size(), 2u);
  for (const auto& ad : report.ads) {
    EXPECT_TRUE(ad.pageMissing);
    EXPECT_EQ(ad.action, Action::PackageStored) << ad.detail;
  }
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix/index.html")), "<p>fix</p>");
  EXPECT_EQ(test::readFile(program.file("Advertise/Pop/index.html")), "<p>pop</p>");
  EXPECT_EQ(program.right(), "7<EOF>Advertise\\Fix\\index.html");
  EXPECT_EQ(program.pop(), "8<EOF>Advertise\\Pop\\index.html") << "the manifest's time is stored";
  EXPECT_EQ(window.seen(), (std::vector<std::string>{"7<EOF>Advertise\\Fix\\index.html"}));

  // With the pages on disk the same manifest fetches nothing.
  report = pass(service.server());
  for (const auto& ad : report.ads) {
    EXPECT_FALSE(ad.pageMissing);
    EXPECT_EQ(ad.action, Action::UpToDate);
  }
  EXPECT_EQ(service.targets("/fix.zip").size(), 1u);
  EXPECT_EQ(service.targets("/pop.zip").size(), 1u);

  // Only the page counts: a folder in its place, or a lost page beside other
  // files, is fetched again; a failed fetch keeps the value for the next start.
  ASSERT_EQ(::unlink(program.file("Advertise/Fix/index.html").c_str()), 0);
  ASSERT_EQ(::mkdir(program.file("Advertise/Fix/index.html").c_str(), 0755), 0);
  ASSERT_EQ(::unlink(program.file("Advertise/Pop/index.html").c_str()), 0);
  service.set("/pop.zip", "gone", 404);
  report = pass(service.server());
  EXPECT_EQ(report.ads[0].action, Action::PackageStored) << report.ads[0].detail;
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix/index.html")), "<p>fix</p>");
  EXPECT_EQ(report.ads[1].action, Action::DownloadFailed);
  EXPECT_EQ(program.pop(), "8<EOF>Advertise\\Pop\\index.html");
  EXPECT_EQ(service.targets("/pop.zip").size(), 2u);
}

TEST_F(AdUpdaterTest, AMissingPageLetsALinkReplaceThePackage) {
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"50<EOF>Advertise\\Fix\\index.html"));
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "40", "http://a/link"},
                                                   {"WEB_TV_AD_RIGHT", "1", "30", "http://a/older"}}));
  auto report = pass(service.server());
  ASSERT_EQ(report.ads.size(), 2u);
  EXPECT_EQ(report.ads[0].action, Action::LinkStored);
  EXPECT_EQ(report.ads[1].action, Action::UpToDate) << "a link value has no page on disk to miss";
  EXPECT_EQ(program.right(), "http://a/link");
}

TEST_F(AdUpdaterTest, AHungServerDoesNotHoldThePassForever) {
  HttpLimits::SetForTesting(1, 2);
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "5", "x"}}), 200, 4000);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(pass(service.server()).end, End::ManifestFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));

  service.set("/slow.zip", "never", 200, 4000);
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "2", "5", service.base() + "slow.zip"},
                                                   {"WEB_TV_AD_POP", "1", "5", "http://a/pop"}}));
  auto report = pass(service.server());
  EXPECT_EQ(report.ads[0].action, Action::DownloadFailed);
  EXPECT_EQ(report.ads[1].action, Action::LinkStored) << "the pass goes on with the next ad";
  EXPECT_EQ(window.sent().size(), 1u);
}

TEST_F(AdUpdaterTest, ThePassRunsOnItsOwnThreadAndOutlivesTheUpdater) {
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_RIGHT", "1", "5", "http://a/async"}}), 200, 300);
  {
    AdUpdater updater(program.path(), program.config(), service.server(), &window);
    ASSERT_TRUE(updater.WaitForPass(std::chrono::seconds(10)));
    EXPECT_EQ(updater.report().end, End::Done);
    EXPECT_EQ(updater.report().messagesSent, 1);
  }
  EXPECT_EQ(program.right(), "http://a/async");

  // Dropped at once: the pass still ends on its own and writes its value.
  service.set("/pcad.action", AdService::Manifest({{"WEB_TV_AD_POP", "1", "5", "http://a/later"}}), 200, 300);
  { AdUpdater dropped(program.path(), program.config(), service.server(), nullptr); }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (program.pop() != "http://a/later" && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(program.pop(), "http://a/later");
}

}  // namespace
}  // namespace tembra
