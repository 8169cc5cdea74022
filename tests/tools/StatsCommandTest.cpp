#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/LoopbackListener.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

TEST(StatsCommand, EncodesRecordsIntoTheUploadBodyAndBack) {
  auto r = runTool({"stats", "encode", "A", "B"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "mes=QV5eQg%3D%3D\n");
  const std::string record = R"({{"PC","","windows","","hi_IN","2024-05-04 20:15:09","1"},{"02011",{"0","240011","7","संगम","5","",""}}})";
  auto enc = runTool({"stats", "encode", record, "second"});
  ASSERT_EQ(enc.exitCode, 0) << enc.err;
  auto dec = runTool({"stats", "decode", enc.out.substr(0, enc.out.size() - 1)});
  EXPECT_EQ(dec.exitCode, 0) << dec.err;
  EXPECT_EQ(dec.out, record + "\nsecond\n");
  // The Base64 vector: bytes fb ef be give "++++", sent as "%2D%2D%2D%2D".
  EXPECT_EQ(runTool({"stats", "decode", "mes=%2D%2D%2D%2D"}).exitCode, 0);
}

TEST(StatsCommand, RefusesWhatIsNotAnUploadBody) {
  auto r = runTool({"stats", "decode", "mes=abc"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("not an upload body"), std::string::npos);
  EXPECT_EQ(runTool({"stats", "decode"}).exitCode, 2);
  EXPECT_EQ(runTool({"stats", "encode"}).exitCode, 2);
  EXPECT_EQ(runTool({"stats", "encode", ""}).exitCode, 2);
  EXPECT_EQ(runTool({"stats", "weigh"}).exitCode, 2);
  EXPECT_EQ(runTool({"stats"}).exitCode, 2);
}

TEST(StatsCommand, ClockPrintsTheOffsetTheClientWouldUse) {
  const long long aheadMs = (static_cast<long long>(std::time(nullptr)) + 3600) * 1000 + 999;
  test::LoopbackListener server("HTTP/1.0 200 OK\r\n\r\n" + std::to_string(aheadMs));
  auto r = runTool({"stats", "clock", "http://127.0.0.1:" + std::to_string(server.port()) + "/bi"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const long offset = std::stol(r.out);
  EXPECT_GE(offset, 3598);
  EXPECT_LE(offset, 3600);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /getTime HTTP/1.0\r\n", 0), 0u);

  auto dead = runTool({"stats", "clock", "http://127.0.0.1:" + std::to_string(test::refusedPort())});
  EXPECT_EQ(dead.exitCode, 1);
  EXPECT_EQ(dead.out, "0\n");
  EXPECT_NE(dead.err.find("no usable time"), std::string::npos);
  EXPECT_EQ(runTool({"stats", "clock", "http://:80/"}).exitCode, 2);
}

}  // namespace
}  // namespace tembra
