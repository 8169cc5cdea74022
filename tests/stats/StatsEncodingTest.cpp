#include "stats/StatsEncoding.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace tembra {
namespace {

TEST(StatsEncoding, FormKeepsOnlyDigitsLettersSlashAndDot) {
  EXPECT_EQ(StatsEncoding::FormFromBase64("ab+/cd=="), "mes=ab%2D/cd%3D%3D");
  EXPECT_EQ(StatsEncoding::FormFromBase64("09azAZ/."), "mes=09azAZ/.");
  EXPECT_EQ(StatsEncoding::FormFromBase64(""), "mes=");
}

TEST(StatsEncoding, RecordsAreJoinedOnlyBetweenEachOther) {
  EXPECT_EQ(StatsEncoding::Join({u"A", u"B"}), u"A^^B");
  EXPECT_EQ(StatsEncoding::Join({u"A"}), u"A");
  EXPECT_EQ(StatsEncoding::Join({}), u"");
  EXPECT_EQ(StatsEncoding::EncodeBody(u"A^^B"), "mes=QV5eQg%3D%3D");
}

TEST(StatsEncoding, BodiesDecodeBackToTheirRecords) {
  const std::vector<std::u16string> records = {u"{\"PC\",\"संगम\"}", u"tab\there", u"日本語 😀"};
  auto back = StatsEncoding::DecodeBody(StatsEncoding::EncodeBody(StatsEncoding::Join(records)));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, records);
  for (std::string bad : {"nothing=1", "mes=%4", "mes=%ZZAA", "mes=abc", "mes=ab=c", "mes=/w%3D%3D="})
    EXPECT_FALSE(StatsEncoding::DecodeBody(bad)) << bad;
}

TEST(StatsEncoding, BatchesStayWithinTheLimitAndALargeRecordTravelsAlone) {
  const std::u16string forty(40000, u'x');
  // 40,000 + 2 + 40,000 fits 102,400; a third does not.
  EXPECT_EQ(StatsEncoding::FirstBatch({forty, forty, forty}, StatsEncoding::kMaxUploadBytes), 2u);
  const std::u16string huge(200000, u'y');
  EXPECT_EQ(StatsEncoding::FirstBatch({huge, forty}, StatsEncoding::kMaxUploadBytes), 1u);
  EXPECT_EQ(StatsEncoding::FirstBatch({}, StatsEncoding::kMaxUploadBytes), 0u);
  // Bytes are counted in UTF-8: "स" is three bytes, "😀" four.
  EXPECT_EQ(StatsEncoding::FirstBatch({u"सस", u"😀"}, 12), 2u);
  EXPECT_EQ(StatsEncoding::FirstBatch({u"सस", u"😀"}, 11), 1u);
}

}  // namespace
}  // namespace tembra
