#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"
#include "service/AddressCipher.h"
#include "tools/ToolRunner.h"

namespace tembra {
namespace {

using testing::runTool;

const char* const kOtherKey = "0123456789ABCDEFFEDCBA9876543210";

TEST(AddressCommand, DecodesAndEncodesWithTheServiceKey) {
  auto r = runTool({"address", "decode",
                    "515BE2C7BD777608589B42513B312A2955FE4F9ED8DB4376D2930633436FB8980F0ED31FF040C063"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "http://127.0.0.1:8088/live/news1.ts\n");
  EXPECT_EQ(r.err, "");

  r = runTool({"address", "encode", "http://127.0.0.1:8088/live/news1.ts"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "515BE2C7BD777608589B42513B312A2955FE4F9ED8DB4376D2930633436FB8980F0ED31FF040C063\n");
}

TEST(AddressCommand, TakesTheKeyOptionAnywhereAfterTheSubcommand) {
  const std::string address = "rtp://239.1.1.1:5004/канал";
  auto enc = runTool({"address", "encode", "--key", kOtherKey, address});
  ASSERT_EQ(enc.exitCode, 0) << enc.err;
  const std::string hex = enc.out.substr(0, enc.out.size() - 1);
  EXPECT_EQ(fromUtf8(hex), EncodeChannelAddress(fromUtf8(address), *AddressCipher::ParseKey(kOtherKey)));
  EXPECT_NE(fromUtf8(hex), EncodeChannelAddress(fromUtf8(address)));

  auto dec = runTool({"address", "decode", hex, "--key", kOtherKey});
  EXPECT_EQ(dec.exitCode, 0) << dec.err;
  EXPECT_EQ(dec.out, address + "\n");

  auto wrongKey = runTool({"address", "decode", hex});
  EXPECT_EQ(wrongKey.exitCode, 0);
  EXPECT_NE(wrongKey.out, address + "\n");
}

TEST(AddressCommand, BadArgumentsExitWithTwoAndSayWhy) {
  const std::vector<std::vector<std::string>> cases = {
      {"address"},
      {"address", "scramble", "AB"},
      {"address", "decode"},
      {"address", "encode", "a", "b"},
      {"address", "decode", "AB", "--key"},
      {"address", "decode", "AB", "--key", "0123"},
      {"address", "decode", "AB", "--key", "0123456789ABCDEFFEDCBA987654321G"},
      {"address", "--key", kOtherKey, "decode", "AB"},
      {"address", "encode", std::string(65, 'a')},
  };
  for (const auto& args : cases) {
    auto r = runTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_EQ(r.out, "") << args.back();
    EXPECT_NE(r.err, "") << args.back();
  }
}

TEST(AddressCommand, OddInputIsReadAsTheClientReadsIt) {
  const std::string sixtyFour(64, 'z');
  auto enc = runTool({"address", "encode", sixtyFour});
  ASSERT_EQ(enc.exitCode, 0) << enc.err;
  const std::string hex = enc.out.substr(0, enc.out.size() - 1);
  ASSERT_EQ(hex.size(), 128u);
  // Digits past the 128th are ignored, with a note.
  auto r = runTool({"address", "decode", hex + "00"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, sixtyFour + "\n");
  EXPECT_NE(r.err, "");

  r = runTool({"address", "decode", "xyz"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(fromUtf8(r.out.substr(0, r.out.size() - 1)), DecodeChannelAddress(u"xyz"));
  r = runTool({"address", "encode", ""});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\n");
}

}  // namespace
}  // namespace tembra
