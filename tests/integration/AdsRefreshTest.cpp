// The advertisement refresh against the demo operator service.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ads/AdTestKit.h"
#include "ads/AdUpdater.h"
#include "ads/ZipTestKit.h"
#include "integration/DemoService.h"
#include "platform/HttpClient.h"
#include "platform/HttpLimits.h"

namespace tembra {
namespace {

using Action = AdRefreshReport::Action;
using End = AdRefreshReport::End;
using test::AdService;
using test::DemoService;

constexpr const char16_t* kRightPackage101 = u"101<EOF>Advertise\\Fix\\index.html";

class AdsRefresh : public ::testing::Test {
 protected:
  AdRefreshReport pass(const std::string& base) {
    return AdUpdater::RunPass({program.path(), &program.config(), asciiToUtf16(base), &window});
  }
  void TearDown() override { HttpLimits::Reset(); }

  test::ProgramFolder program;
  test::AdRecordingWindow window{&program.config()};
};

TEST_F(AdsRefresh, SameTimeDownloadsNothingButStillTellsTheWindow) {
  DemoService demo({"--ad-time", "100"});
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"100<EOF>Advertise\\Fix\\index.html"));
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_POP", u"100<EOF>Advertise\\Pop\\index.html"));
  // What an earlier pass unpacked.
  for (const char* slot : {"Fix", "Pop"}) {
    std::filesystem::create_directories(program.file(std::string("Advertise/") + slot));
    std::ofstream(program.file(std::string("Advertise/") + slot + "/index.html")) << "<p>earlier</p>";
  }
  auto report = pass(demo.base() + "/");
  ASSERT_EQ(report.end, End::Done);
  ASSERT_EQ(report.ads.size(), 2u);
  EXPECT_EQ(report.ads[0].action, Action::UpToDate);
  EXPECT_EQ(report.ads[1].action, Action::UpToDate);
  EXPECT_EQ(window.sentIds(), std::vector<uint32_t>{WM_AD_UPDATED}) << "one for the right slot, none for the pop-up";
  EXPECT_FALSE(test::exists(program.file("Advertise/Fix.zip"))) << "nothing was downloaded";
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix/index.html")), "<p>earlier</p>");
  EXPECT_EQ(program.right(), "100<EOF>Advertise\\Fix\\index.html");
}

// An installed copy whose config.ini came with the values but whose program
// folder never had the packages: the same times, and the pages come back.
TEST_F(AdsRefresh, SameTimeWithTheUnpackedAdsGoneFetchesThemAgain) {
  DemoService demo({"--ad-time", "100"});
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"100<EOF>Advertise\\Fix\\index.html"));
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_POP", u"100<EOF>Advertise\\Pop\\index.html"));
  auto report = pass(demo.base() + "/");
  ASSERT_EQ(report.ads.size(), 2u);
  for (const auto& ad : report.ads) EXPECT_EQ(ad.action, Action::PackageStored) << ad.detail;
  for (const char* slot : {"Fix", "Pop"})
    EXPECT_NE(test::readFile(program.file(std::string("Advertise/") + slot + "/index.html")).find("<html"),
              std::string::npos)
        << slot;
  EXPECT_EQ(program.right(), "100<EOF>Advertise\\Fix\\index.html");
  EXPECT_EQ(window.seen(), std::vector<std::string>{"100<EOF>Advertise\\Fix\\index.html"});
}

TEST_F(AdsRefresh, NewerPackagesAreFetchedUnpackedAndRecorded) {
  DemoService demo({"--ad-time", "101"});
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_TRUE(program.config().WriteValue(u"WEB_TV_AD_RIGHT", u"100<EOF>Advertise\\Fix\\index.html"));
  auto report = pass(demo.base() + "/");
  ASSERT_EQ(report.end, End::Done);
  for (const auto& ad : report.ads) EXPECT_EQ(ad.action, Action::PackageStored) << ad.detail;
  EXPECT_EQ(program.value(u"WEB_TV_AD_RIGHT"), kRightPackage101);
  EXPECT_EQ(program.pop(), "101<EOF>Advertise\\Pop\\index.html");
  for (const char* slot : {"Fix", "Pop"}) {
    const std::string folder = program.file(std::string("Advertise/") + slot);
    EXPECT_NE(test::readFile(folder + "/index.html").find("<html"), std::string::npos) << slot;
    EXPECT_GT(std::filesystem::file_size(folder + "/logo.png"), 100u);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/css"));
    // Not unpacked read-only, so the next package can replace them.
    EXPECT_NE(std::filesystem::status(folder + "/css/style.css").permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
  }
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix.zip")), demo.Get("/ads/fix.zip").body);
  // The window reloaded its pane after the new value was in place.
  EXPECT_EQ(window.seen(), std::vector<std::string>{"101<EOF>Advertise\\Fix\\index.html"});

  // The next start finds everything current.
  report = pass(demo.base() + "/");
  EXPECT_EQ(report.ads[0].action, Action::UpToDate);
  EXPECT_EQ(report.ads[1].action, Action::UpToDate);
  EXPECT_EQ(window.sent().size(), 2u);
}

TEST_F(AdsRefresh, ErrorPagesAndUnknownKeysKeepTheOldValueAndFiles) {
  DemoService demo({"--ad-time", "101"});
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_EQ(pass(demo.base() + "/").ads[0].action, Action::PackageStored);
  const std::string oldPage = test::readFile(program.file("Advertise/Fix/index.html"));
  const std::string oldPackage = test::readFile(program.file("Advertise/Fix.zip"));

  // A manifest of newer ads whose packages are the demo's 404 page and its
  // HTML link page (status 200, but no archive).
  AdService manifest;
  manifest.set("/pcad.action",
               AdService::Manifest({{"WEB_TV_AD_RIGHT", "2", "200", demo.base() + "/ads/other.zip"},
                                    {"WEB_TV_AD_OTHER", "1", "300", "http://a/other"},
                                    {"WEB_TV_AD_RIGHT", "2", "200", demo.base() + "/ads/link.html"},
                                    {"WEB_TV_AD_POP", "2", "200", demo.base() + "/ads/link.html"}}));
  const size_t before = window.sent().size();
  auto report = pass(manifest.base());
  ASSERT_EQ(report.ads.size(), 4u);
  EXPECT_EQ(report.ads[0].action, Action::DownloadFailed);
  EXPECT_EQ(report.ads[0].detail, "status 404");
  EXPECT_EQ(report.ads[1].action, Action::UnknownKey);
  EXPECT_EQ(report.ads[2].action, Action::PackageRefused);
  EXPECT_EQ(report.ads[3].action, Action::PackageRefused);
  EXPECT_EQ(window.sent().size() - before, 2u) << "the two right-slot ads, not the unknown key or the pop-up";
  EXPECT_EQ(program.value(u"WEB_TV_AD_RIGHT"), kRightPackage101);
  EXPECT_EQ(program.pop(), "101<EOF>Advertise\\Pop\\index.html");
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix/index.html")), oldPage);
  EXPECT_EQ(test::readFile(program.file("Advertise/Fix.zip")), oldPackage);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(program.file("Advertise")))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Fix", "Fix.zip", "Pop", "Pop.zip"})) << "no temporary files stay";
}

TEST_F(AdsRefresh, FaultyServiceChangesNothing) {
  DemoService demo({"--ads-404", "--hang-seconds", "30"});
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_EQ(pass(demo.base() + "/").end, End::NoManifest);
  ASSERT_EQ(demo.Post("/demo/faults", "ads-404=0&hang-ads=1").status, 200);
  HttpLimits::SetForTesting(1, 3);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(pass(demo.base() + "/").end, End::ManifestFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(window.sent().empty());
  EXPECT_TRUE(program.right().empty());
  // No service at all.
  const std::string base = demo.base() + "/";
  demo.Stop();
  EXPECT_EQ(pass(base).end, End::ManifestFailed);
}

}  // namespace
}  // namespace tembra
