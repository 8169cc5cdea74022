#include <gtest/gtest.h>

#include <string>

#include "xtream/XtreamReplyParser.h"

namespace tembra {
namespace {

TEST(XtreamReplyParser, StreamsTakeNumbersAsNumbersOrStringsAndNullsAsEmpty) {
  const auto parsed = XtreamReplyParser::streams(R"([
    {"num": 1, "name": "One", "stream_id": 101, "stream_icon": "http://l/1.png", "epg_channel_id": "one.de",
     "category_id": "5", "tv_archive": 1, "tv_archive_duration": 7},
    {"num": "2", "name": "Two", "stream_id": "102", "stream_icon": null, "epg_channel_id": null,
     "category_id": 6, "tv_archive": "1", "tv_archive_duration": "3"},
    {"name": "Three", "stream_id": 103.0, "num": "x", "tv_archive": 0, "tv_archive_duration": 5},
    {"num": 4, "name": "No id"},
    {"num": 5, "stream_id": 105},
    {"num": 6, "name": null, "stream_id": 106},
    {"num": 7, "name": "Bad id", "stream_id": "12a"},
    {"num": 8, "name": "Negative id", "stream_id": -3},
    "not an object", 17, null,
    {"num": 99999999999, "name": "Huge number", "stream_id": " 109 ", "category_id": {"nested": 1}}
  ])");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  const auto& s = parsed.value;
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].streamId, "101");
  EXPECT_EQ(s[0].name, "One");
  EXPECT_EQ(s[0].number, 1);
  EXPECT_EQ(s[0].icon, "http://l/1.png");
  EXPECT_EQ(s[0].epgId, "one.de");
  EXPECT_EQ(s[0].categoryId, "5");
  EXPECT_TRUE(s[0].archive);
  EXPECT_EQ(s[0].archiveDays, 7);

  EXPECT_EQ(s[1].streamId, "102");
  EXPECT_EQ(s[1].number, 2);
  EXPECT_EQ(s[1].icon, "");
  EXPECT_EQ(s[1].epgId, "");
  EXPECT_EQ(s[1].categoryId, "6");
  EXPECT_TRUE(s[1].archive);
  EXPECT_EQ(s[1].archiveDays, 3);

  EXPECT_EQ(s[2].streamId, "103");
  EXPECT_EQ(s[2].name, "Three");
  EXPECT_EQ(s[2].number, std::nullopt);
  EXPECT_EQ(s[2].categoryId, "");
  EXPECT_FALSE(s[2].archive);

  EXPECT_EQ(s[3].name, "Huge number");
  EXPECT_EQ(s[3].streamId, "109");
  EXPECT_EQ(s[3].number, std::nullopt);
  EXPECT_EQ(s[3].categoryId, "");
}

TEST(XtreamReplyParser, StreamsKeepTheReplysOrder) {
  std::string reply = "[";
  for (int i = 0; i < 500; ++i) {
    if (i) reply += ",";
    reply += R"({"name": "C)" + std::to_string(i) + R"(", "stream_id": )" + std::to_string(1000 - i) + "}";
  }
  reply += "]";
  const auto parsed = XtreamReplyParser::streams(reply);
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.value.size(), 500u);
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(parsed.value[i].name, "C" + std::to_string(i));
    EXPECT_EQ(parsed.value[i].streamId, std::to_string(1000 - i));
  }
}

TEST(XtreamReplyParser, RepliesThatAreNotJsonOrNotTheRightShapeAreErrors) {
  const struct {
    const char* what;
    std::string reply;
    const char* words;  // part of the error
  } cases[] = {
      {"empty", "", "empty"},
      {"an HTML page", "<html><body>Maintenance</body></html>", "not JSON"},
      {"cut off", R"([{"name": "One", "stream_id": 1)", "not JSON"},
      {"an object for a list", R"({"user_info": {"auth": 0}})", "not a list"},
      {"a number", "42", "not a list"},
      {"a string", R"("streams")", "not a list"},
  };
  for (const auto& c : cases) {
    const auto streams = XtreamReplyParser::streams(c.reply);
    EXPECT_FALSE(streams.ok()) << c.what;
    EXPECT_NE(streams.error.find(c.words), std::string::npos) << c.what << ": " << streams.error;
    const auto categories = XtreamReplyParser::categories(c.reply);
    EXPECT_FALSE(categories.ok()) << c.what;
  }
  EXPECT_FALSE(XtreamReplyParser::account("[]").ok());
  EXPECT_FALSE(XtreamReplyParser::account(R"({"server_info": {}})").ok());
  EXPECT_FALSE(XtreamReplyParser::account("Access denied").ok());
}

TEST(XtreamReplyParser, BytesThatAreNotUtf8DoNotCostTheList) {
  const auto parsed = XtreamReplyParser::streams("[{\"name\": \"Caf\xE9 TV\", \"stream_id\": 1}]");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.value.size(), 1u);
  EXPECT_EQ(parsed.value[0].name, "Caf\xEF\xBF\xBD TV");
}

TEST(XtreamReplyParser, AReplyLargerThanItsCapIsRefusedUnread) {
  std::string reply(XtreamReplyParser::kMaxAccountBytes + 1, ' ');
  reply.front() = '{';
  reply.back() = '}';
  const auto parsed = XtreamReplyParser::account(reply);
  EXPECT_FALSE(parsed.ok());
  EXPECT_NE(parsed.error.find("larger than"), std::string::npos) << parsed.error;
}

TEST(XtreamReplyParser, CategoriesNeedAnIdAndTakeNumbers) {
  const auto parsed = XtreamReplyParser::categories(R"([
    {"category_id": "1", "category_name": "News", "parent_id": 0},
    {"category_id": 2, "category_name": null},
    {"category_name": "No id"},
    {"category_id": null, "category_name": "Null id"},
    []
  ])");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.value.size(), 2u);
  EXPECT_EQ(parsed.value[0].id, "1");
  EXPECT_EQ(parsed.value[0].name, "News");
  EXPECT_EQ(parsed.value[1].id, "2");
  EXPECT_EQ(parsed.value[1].name, "");
}

TEST(XtreamReplyParser, TheAccountCheckReadsItsFieldsInEitherForm) {
  const auto active = XtreamReplyParser::account(R"({"user_info": {"username": "u", "auth": 1,
      "status": "Active", "exp_date": "1900000000", "allowed_output_formats": ["m3u8", "ts", null, 5]},
      "server_info": {"url": "x"}})");
  ASSERT_TRUE(active.ok()) << active.error;
  EXPECT_TRUE(active.value.authorised);
  EXPECT_EQ(active.value.status, "Active");
  EXPECT_EQ(active.value.expires, 1900000000);
  EXPECT_EQ(active.value.formats, (std::vector<std::string>{"m3u8", "ts", "5"}));

  const auto refused = XtreamReplyParser::account(R"({"user_info": {"auth": 0}})");
  ASSERT_TRUE(refused.ok());
  EXPECT_FALSE(refused.value.authorised);

  const auto noAuth = XtreamReplyParser::account(R"({"user_info": {"status": "Active"}})");
  ASSERT_TRUE(noAuth.ok());
  EXPECT_TRUE(noAuth.value.authorised) << "no auth, but active";
  const auto nothing = XtreamReplyParser::account(R"({"user_info": {}})");
  ASSERT_TRUE(nothing.ok());
  EXPECT_FALSE(nothing.value.authorised);

  const auto noEnd = XtreamReplyParser::account(R"({"user_info": {"auth": "1", "exp_date": null}})");
  ASSERT_TRUE(noEnd.ok());
  EXPECT_TRUE(noEnd.value.authorised);
  EXPECT_EQ(noEnd.value.expires, std::nullopt);
  EXPECT_TRUE(noEnd.value.formats.empty());
}

}  // namespace
}  // namespace tembra
