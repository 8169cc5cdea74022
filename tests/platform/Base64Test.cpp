#include "platform/Base64.h"

#include <gtest/gtest.h>

#include "platform/Hex.h"

namespace tembra {
namespace {

TEST(Base64, KnownVectorsBothWays) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xfb\xef\xbe", "++++"}, {"\xfb\xff", "+/8="}};
  for (auto [plain, coded] : vectors) {
    EXPECT_EQ(base64Encode(plain), coded) << plain;
    EXPECT_EQ(base64Decode(coded), plain) << coded;
  }
}

TEST(Base64, DecodeRefusesWhatIsNotWholeCleanQuads) {
  for (const char* bad : {"Zg=", "Zm9", "Z===", "Zg==Zg==", "Zm=v", "Zm9v!A==", "Zm 9v"})
    EXPECT_FALSE(base64Decode(bad)) << bad;
}

TEST(PercentDecode, EscapesOfEitherCaseAndRefusesCutOnes) {
  EXPECT_EQ(percentDecode("a%2Db%2fc%41"), "a-b/cA");
  EXPECT_EQ(percentDecode("plain+text"), "plain+text");
  for (const char* bad : {"%", "%4", "ab%G1", "%%"}) EXPECT_FALSE(percentDecode(bad)) << bad;
}

}  // namespace
}  // namespace tembra
