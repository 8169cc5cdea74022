// The refresh pass against a service whose replies each test sets.
#include "ads/AdUpdater.h"

#include <gtest/gtest.h>

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
