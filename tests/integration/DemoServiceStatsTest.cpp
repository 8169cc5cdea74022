// The statistics collector of the demo service. Its clock and its refusal
// fault are met by the reporter itself in StatsReporterDemoTest.
#include <gtest/gtest.h>

#include <httplib.h>

#include "integration/DemoService.h"
#include "platform/HttpClient.h"
#include "platform/Utf.h"
#include "stats/StatsEncoding.h"

namespace tembra {
namespace {

using test::DemoService;

// The client's own upload body of the records.
std::string encodeUpload(const std::vector<std::string>& records) {
  std::vector<std::u16string> texts;
  for (const auto& r : records) texts.push_back(fromUtf8(r));
  return StatsEncoding::EncodeBody(StatsEncoding::Join(texts));
}

const std::string kStart =
    R"rec({{"PC","00-1A-2B-3C-4D-5E","windows","Debian GNU/Linux 12 (bookworm)","hi_IN","2024-05-04 20:15:09","1"},{"00006",{"240011","1.0.2","hi_IN"}}})rec";
const std::string kWatch =
    R"rec({{"PC","00-1A-2B-3C-4D-5E","windows","","hi_IN","2024-05-04 20:17:10","1"},{"02011",{"0","240011","10002","संगम Beats \\ \"quoted\"","121","1","News"}}})rec";

TEST(DemoServiceStats, UploadsRoundTripThroughTheClientsEncoding) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_TRUE(demo.Records().empty());
  // The client's own transport, path and form type.
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected", encodeUpload({kStart}), 2000), 200);
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected",
                                 encodeUpload({kWatch, kStart + "\ttab\x01"}), 2000),
            200);
  EXPECT_EQ(demo.Records(), (std::vector<std::string>{kStart, kWatch, kStart + "\ttab\x01"}));
  EXPECT_EQ(demo.Post("/collected", encodeUpload({})).status, 200);
  EXPECT_EQ(demo.Records().size(), 3u);
}

TEST(DemoServiceStats, ClearingEmptiesTheRecordList) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_EQ(demo.Post("/collected", encodeUpload({"a", "b"})).status, 200);
  ASSERT_EQ(demo.Records().size(), 2u);
  httplib::Client client("127.0.0.1", demo.port());
  auto res = client.Delete("/demo/records");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_TRUE(demo.Records().empty());
}

TEST(DemoServiceStats, BodiesNotInTheClientsFormAreRefusedAndNotStored) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  const std::string good = encodeUpload({kStart});
  for (std::string bad : {std::string("nothing=1"), std::string("mes=%4"), std::string("mes=%ZZAA"),
                          std::string("mes=abc"), std::string("mes=ab=c"), "mes=" + std::string("/w%3D%3D"),
                          good.substr(0, good.size() - 3)}) {
    EXPECT_EQ(demo.Post("/collected", bad).status, 400) << bad;
  }
  EXPECT_TRUE(demo.Records().empty());
}

}  // namespace
}  // namespace tembra
