// The endless channel streams of the demo service, checked with ffprobe.
// Skipped when ffmpeg or ffprobe is missing.
#include <gtest/gtest.h>

#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "integration/DemoService.h"

namespace tembra {
namespace {

using test::DemoService;

constexpr const char* kNoFfmpeg = "ffmpeg or ffprobe is missing: streams cannot be made or checked";

bool haveTools() { return DemoService::HaveProgram("ffmpeg") && DemoService::HaveProgram("ffprobe"); }

DemoService::Setup shortSegments() {
  DemoService::Setup setup;
  setup.args = {"--groups", "1", "--channels-per-group", "2", "--stream-seconds", "2"};
  return setup;
}

TEST(DemoServiceStream, ChannelStreamIsPlayableMpegTs) {
  if (!haveTools()) GTEST_SKIP() << kNoFfmpeg;
  DemoService demo(shortSegments());
  ASSERT_TRUE(demo.started()) << demo.error();
  auto probe = DemoService::RunProgram({"ffprobe", "-v", "error", "-show_entries",
                                        "stream=codec_type,width,height", "-of", "compact=p=0",
                                        demo.base() + "/stream/10001"});
  ASSERT_EQ(probe.exitCode, 0) << probe.output;
  EXPECT_NE(probe.output.find("codec_type=video|width=640|height=360"), std::string::npos) << probe.output;
  EXPECT_NE(probe.output.find("codec_type=audio"), std::string::npos) << probe.output;

  if (DemoService::HaveProgram("mpv")) {
    auto play = DemoService::RunProgram({"mpv", "--no-config", "--vo=null", "--ao=null", "--frames=10",
                                         demo.base() + "/stream/10002"});
    EXPECT_EQ(play.exitCode, 0) << play.output;
  } else {
    std::printf("mpv is not installed: checked with ffprobe only\n");
  }
}

TEST(DemoServiceStream, LoopsCarryTheClockOnInsteadOfJumpingBack) {
  if (!haveTools()) GTEST_SKIP() << kNoFfmpeg;
  DemoService demo(shortSegments());
  ASSERT_TRUE(demo.started()) << demo.error();
  httplib::Client client("127.0.0.1", demo.port());
  client.set_read_timeout(60, 0);
  std::string content_type;
  std::string bytes;
  // About three and a half loops of the two-second segment.
  const size_t wanted = 460 * 1024;
  auto res = client.Get(
      "/stream/10001",
      [&](const httplib::Response& r) {
        content_type = r.get_header_value("Content-Type");
        return r.status == 200;
      },
      [&](const char* data, size_t length) {
        bytes.append(data, length);
        return bytes.size() < wanted;
      });
  EXPECT_EQ(content_type, "video/mp2t");
  ASSERT_GE(bytes.size(), wanted);
  bytes.resize(bytes.size() / 188 * 188);

  const test::TempDir dir("demo-stream");
  const std::string file = dir.file("capture.ts");
  std::ofstream(file, std::ios::binary) << bytes;
  auto packets = DemoService::RunProgram({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                          "packet=pts_time", "-of", "csv=p=0", file});
  ASSERT_EQ(packets.exitCode, 0) << packets.output;
  std::istringstream lines(packets.output);
  double first = -1, previous = -1, value;
  size_t count = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    value = std::stod(line);
    if (first < 0) first = value;
    EXPECT_GT(value, previous) << "video time went back at packet " << count;
    previous = value;
    ++count;
  }
  EXPECT_GT(previous - first, 4.5) << "more than two loops seen";
  EXPECT_GT(count, 110u);
}

}  // namespace
}  // namespace tembra
