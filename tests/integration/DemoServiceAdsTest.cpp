// The ad manifest and the ad packages of the demo service.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "integration/DemoService.h"
#include "platform/HttpClient.h"
#include "platform/Utf.h"
#include "xml/XmlDocument.h"

namespace tembra {
namespace {

using test::DemoService;

struct Ad {
  std::string key, type, modifyTime, filePath;
};

// Walks the manifest the way the ad refresher does.
std::vector<Ad> parseManifest(const std::string& body) {
  std::vector<Ad> ads;
  XmlDocument doc(fromUtf8(body));
  doc.ResetPos();
  if (!doc.FindSibling(u"result")) return ads;
  while (doc.FindChild(u"ad")) {
    doc.EnterChild();
    Ad ad;
    if (doc.FindChild(u"key")) ad.key = toUtf8(doc.ReadChildText());
    if (doc.FindChild(u"type")) ad.type = toUtf8(doc.ReadChildText());
    if (doc.FindChild(u"modifyTime")) ad.modifyTime = toUtf8(doc.ReadChildText());
    if (doc.FindChild(u"filePath")) ad.filePath = toUtf8(doc.ReadChildText());
    ads.push_back(ad);
    doc.LeaveToParent();
  }
  return ads;
}

uint32_t le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

struct Member {
  uint16_t method;
  uint16_t flags;
  uint32_t compressed, size;
  uint8_t madeBy;
  uint32_t external;
  bool localMatches;
};

// Lists the members from the central directory and checks each local
// header against it, as the client's zip reader does.
std::map<std::string, Member> members(const std::string& zip) {
  std::map<std::string, Member> out;
  size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos || end + 22 > zip.size()) return out;
  const uint32_t count = le(zip, end + 10, 2), dirOffset = le(zip, end + 16, 4);
  size_t at = dirOffset;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 46 > zip.size() || le(zip, at, 4) != 0x02014B50) return {};
    Member m{};
    m.madeBy = static_cast<uint8_t>(le(zip, at + 4, 2) >> 8);
    m.flags = static_cast<uint16_t>(le(zip, at + 8, 2));
    m.method = static_cast<uint16_t>(le(zip, at + 10, 2));
    m.compressed = le(zip, at + 20, 4);
    m.size = le(zip, at + 24, 4);
    const uint32_t nameLength = le(zip, at + 28, 2), extra = le(zip, at + 30, 2), comment = le(zip, at + 32, 2);
    m.external = le(zip, at + 38, 4);
    const uint32_t local = le(zip, at + 42, 4);
    std::string name = zip.substr(at + 46, nameLength);
    m.localMatches = local + 30 <= zip.size() && le(zip, local, 4) == 0x04034B50 &&
                     le(zip, local + 8, 2) == m.method && le(zip, local + 18, 4) == m.compressed &&
                     le(zip, local + 22, 4) == m.size && zip.compare(local + 30, nameLength, name) == 0;
    out[name] = m;
    at += 46 + nameLength + extra + comment;
  }
  return out;
}

TEST(DemoServiceAds, ManifestNamesBothSlotsAndThePackagesUnpackCleanly) {
  DemoService demo({"--ad-time", "12345"});
  ASSERT_TRUE(demo.started()) << demo.error();
  // The client appends "pcad.action" to its base URL without a separator.
  auto manifest = HttpClient::Get(demo.base() + "/pcad.action", 500, 2);
  ASSERT_EQ(manifest.status, 200);
  auto ads = parseManifest(manifest.body);
  ASSERT_EQ(ads.size(), 2u);
  EXPECT_EQ(ads[0].key, "WEB_TV_AD_RIGHT");
  EXPECT_EQ(ads[1].key, "WEB_TV_AD_POP");
  for (const Ad& ad : ads) {
    EXPECT_EQ(ad.type, "2");
    EXPECT_EQ(ad.modifyTime, "12345");
    auto package = HttpClient::Get(ad.filePath, 500, 2);
    ASSERT_EQ(package.status, 200) << ad.filePath;
    ASSERT_GE(package.body.size(), 4u);
    EXPECT_EQ(package.body.compare(0, 4, std::string("PK\x03\x04", 4)), 0);
    auto list = members(package.body);
    ASSERT_EQ(list.size(), 4u) << ad.filePath;
    for (const char* name : {"index.html", "logo.png", "css/", "css/style.css"}) {
      ASSERT_TRUE(list.count(name)) << name;
      const Member& m = list[name];
      EXPECT_TRUE(m.method == 0 || m.method == 8) << name;
      EXPECT_EQ(m.flags & 0x1, 0) << "not encrypted: " << name;
      EXPECT_TRUE(m.localMatches) << name;
      // Unix attributes: owner may write (not read-only once unpacked).
      EXPECT_EQ(m.madeBy, 3) << name;
      EXPECT_NE(m.external & 0x00800000u, 0u) << name;
    }
    EXPECT_NE(list["css/"].external & 0x40000000u, 0u) << "directory member";
    EXPECT_GT(list["logo.png"].size, 100u);
  }
  EXPECT_NE(HttpClient::Get(ads[0].filePath, 500, 2).body, HttpClient::Get(ads[1].filePath, 500, 2).body);
}

TEST(DemoServiceAds, LinkFormAdPointsAtAPageTheServiceServes) {
  DemoService demo({"--ad-link"});
  ASSERT_TRUE(demo.started()) << demo.error();
  auto ads = parseManifest(demo.Get("/pcad.action").body);
  ASSERT_EQ(ads.size(), 2u);
  EXPECT_EQ(ads[0].type, "1");
  EXPECT_EQ(ads[0].filePath, demo.base() + "/ads/link.html");
  auto page = HttpClient::Get(ads[0].filePath, 500, 2);
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("<html>"), std::string::npos);
  EXPECT_EQ(ads[1].type, "2");
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
