// The ad manifest and the ad packages of the demo service, read with the
// client's manifest parser. The packages themselves are unpacked by the
// client in AdsRefreshTest.
#include <gtest/gtest.h>

#include "ads/AdManifest.h"
#include "integration/DemoService.h"
#include "platform/HttpClient.h"
#include "platform/Utf.h"

namespace tembra {
namespace {

using test::DemoService;

std::vector<AdEntry> parseManifest(const std::string& body) {
  return AdManifest::Parse(fromUtf8(body)).value_or(std::vector<AdEntry>{});
}

TEST(DemoServiceAds, ManifestNamesBothSlotsWithAPackageEach) {
  DemoService demo({"--ad-time", "12345"});
  ASSERT_TRUE(demo.started()) << demo.error();
  // The client appends "pcad.action" to its base URL without a separator.
  auto manifest = HttpClient::Get(demo.base() + "/pcad.action", 500, 2);
  ASSERT_EQ(manifest.status, 200);
  auto ads = parseManifest(manifest.body);
  ASSERT_EQ(ads.size(), 2u);
  EXPECT_EQ(ads[0].key, u"WEB_TV_AD_RIGHT");
  EXPECT_EQ(ads[1].key, u"WEB_TV_AD_POP");
  std::vector<std::string> packages;
  for (const AdEntry& ad : ads) {
    EXPECT_EQ(ad.type, u"2");
    EXPECT_EQ(ad.modifyTime, u"12345");
    auto package = HttpClient::Get(toUtf8(ad.filePath), 500, 2);
    ASSERT_EQ(package.status, 200) << toUtf8(ad.filePath);
    EXPECT_EQ(package.body.compare(0, 4, std::string("PK\x03\x04", 4)), 0);
    packages.push_back(package.body);
  }
  EXPECT_NE(packages[0], packages[1]);
}

TEST(DemoServiceAds, LinkFormAdPointsAtAPageTheServiceServes) {
  DemoService demo({"--ad-link"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto ads = parseManifest(demo.Get("/pcad.action").body);
  ASSERT_EQ(ads.size(), 2u);
  EXPECT_EQ(ads[0].type, u"1");
  EXPECT_EQ(toUtf8(ads[0].filePath), demo.base() + "/ads/link.html");
  auto page = HttpClient::Get(toUtf8(ads[0].filePath), 500, 2);
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("<html>"), std::string::npos);
  EXPECT_EQ(ads[1].type, u"2");
}

TEST(DemoServiceAds, ManifestIsFoundWhateverTheBaseUrlEndsIn) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  for (const char* path : {"/pcad.action", "/tvpcad.action", "/tv/pcad.action"})
    EXPECT_EQ(parseManifest(demo.Get(path).body).size(), 2u) << path;
  EXPECT_EQ(demo.Get("/ads/other.zip").status, 404);
}

TEST(DemoServiceAds, AdFaultsTurnManifestAndPackagesIntoErrorPages) {
  DemoService demo({"--ads-404"});
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_EQ(demo.Get("/pcad.action").status, 404);
  EXPECT_EQ(demo.Get("/ads/fix.zip").status, 404);
  EXPECT_TRUE(parseManifest(demo.Get("/pcad.action").body).empty());
  ASSERT_EQ(demo.Post("/demo/faults", "ads-404=0&ads-500=1").status, 200);
  EXPECT_EQ(demo.Get("/pcad.action").status, 500);
  EXPECT_EQ(demo.Get("/ads/pop.zip").status, 500);
  ASSERT_EQ(demo.Post("/demo/faults", "ads-500=0").status, 200);
  EXPECT_EQ(demo.Get("/ads/pop.zip").status, 200);
}

}  // namespace
}  // namespace tembra
