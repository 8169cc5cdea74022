#include "guide/GuideRequest.h"

#include <gtest/gtest.h>

#include "guide/GuideCalendar.h"
#include "guide/GuideServiceAddress.h"
#include "guide/GuideTestSupport.h"

namespace tembra {
namespace {

using test::At;

TEST(GuideCalendar, DaysRollIntoTheNextMonthAndYearAtMostOnce) {
  struct Case {
    LocalTime now;
    int day;
    GuideDate expected;
  } cases[] = {
      {At(2024, 5, 9), 1, {2024, 5, 10}},
      {At(2025, 1, 31), 0, {2025, 1, 31}},
      {At(2025, 1, 31), 1, {2025, 2, 1}},
      {At(2025, 1, 31), 2, {2025, 2, 2}},
      {At(2024, 2, 28), 1, {2024, 2, 29}},
      {At(2024, 2, 28), 2, {2024, 3, 1}},
      {At(2023, 2, 28), 1, {2023, 3, 1}},
      {At(2023, 2, 27), 2, {2023, 3, 1}},
      {At(2000, 2, 28), 1, {2000, 2, 29}},
      {At(1900, 2, 28), 1, {1900, 3, 1}},
      {At(2024, 4, 30), 1, {2024, 5, 1}},
      {At(2024, 12, 31), 1, {2025, 1, 1}},
      {At(2024, 12, 30), 2, {2025, 1, 1}},
      {At(2024, 12, 31), 2, {2025, 1, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GuideCalendar::TargetDate(c.now, c.day), c.expected)
        << c.now.year << "-" << c.now.month << "-" << c.now.day << " +" << c.day;
  }
}

TEST(GuideRequest, BytesForADateAndHostAreExact) {
  auto request = GuideRequest::Format(u"1", u"962234b9-0788-a20b-b8e0-61d4f4f85a08", {2024, 5, 10},
                                      u"tv.example.net", 8080);
  ASSERT_TRUE(request);
  EXPECT_EQ(*request,
            "GET /tvitem.action?type=1&uuid=962234b9-0788-a20b-b8e0-61d4f4f85a08&startdate=2024-05-10"
            "&enddate=2024-05-10 HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\n"
            "Host: tv.example.net:8080\r\nUser-Agent: xxx\r\n\r\n");
  // The year is padded to four places by spaces, as its format asks.
  request = GuideRequest::Format(u"1", u"u", {999, 1, 2}, u"h", 80);
  ASSERT_TRUE(request);
  EXPECT_NE(request->find("startdate= 999-01-02&enddate= 999-01-02 HTTP/1.0"), std::string::npos);
  EXPECT_NE(request->find("\r\nHost: h:80\r\n"), std::string::npos);
}

TEST(GuideRequest, ValuesOverTheirLimitsOrBreakingTheRequestAreRefusedNotCut) {
  const GuideDate date{2024, 5, 10};
  EXPECT_TRUE(GuideRequest::Format(std::u16string(9, u'1'), u"u", date, u"h", 80));
  EXPECT_FALSE(GuideRequest::Format(std::u16string(10, u'1'), u"u", date, u"h", 80));
  EXPECT_TRUE(GuideRequest::Format(u"1", std::u16string(40, u'a'), date, u"h", 80));
  EXPECT_FALSE(GuideRequest::Format(u"1", std::u16string(41, u'a'), date, u"h", 80));
  EXPECT_TRUE(GuideRequest::Format(u"1", u"u", date, std::u16string(63, u'h'), 80));
  EXPECT_FALSE(GuideRequest::Format(u"1", u"u", date, std::u16string(64, u'h'), 80));
  // Limits count UTF-8 bytes: 20 Cyrillic letters are 40 bytes, 21 are 42.
  EXPECT_TRUE(GuideRequest::Format(u"1", std::u16string(20, u'\u0436'), date, u"h", 80));
  EXPECT_FALSE(GuideRequest::Format(u"1", std::u16string(21, u'\u0436'), date, u"h", 80));
  // Anything that would end the request line or a header early.
  const std::u16string bads[] = {u"a b", u"a\r\nX: y", u"a\nb", std::u16string(u"a\0b", 3), u"a\tb", u"a\x7f"};
  for (const std::u16string& bad : bads) {
    EXPECT_FALSE(GuideRequest::Format(u"1", bad, date, u"h", 80));
    EXPECT_FALSE(GuideRequest::Format(bad.substr(0, 5), u"u", date, u"h", 80));
    EXPECT_FALSE(GuideRequest::Format(u"1", u"u", date, bad, 80));
  }
}

TEST(GuideRequest, ReplyCheckWantsAShortStatusLineAnd200Anywhere) {
  EXPECT_TRUE(GuideRequest::IsReplyOk("HTTP/1.1 200 OK\r\n\r\n<tvlist/>"));
  EXPECT_TRUE(GuideRequest::IsReplyOk("HTTP/1.1 404 Not Found\r\nX-Trace: 12005\r\n\r\n"));
  EXPECT_TRUE(GuideRequest::IsReplyOk("X\r\n200"));
  EXPECT_FALSE(GuideRequest::IsReplyOk("HTTP/1.1 404 Not Found\r\n\r\nnothing here"));
  EXPECT_FALSE(GuideRequest::IsReplyOk("\r\nHTTP/1.1 200 OK\r\n"));
  EXPECT_FALSE(GuideRequest::IsReplyOk("HTTP/1.1 200 OK"));
  EXPECT_FALSE(GuideRequest::IsReplyOk(""));
  const std::string line99 = "HTTP/1.1 200 " + std::string(99 - 13, 'k');
  ASSERT_EQ(line99.size(), 99u);
  EXPECT_TRUE(GuideRequest::IsReplyOk(line99 + "\r\n\r\n"));
  EXPECT_FALSE(GuideRequest::IsReplyOk(line99 + "k\r\n\r\n"));
  // Only the first "\r\n" counts; a later short line does not help.
  EXPECT_FALSE(GuideRequest::IsReplyOk(line99 + "k\r\nA\r\n\r\n"));
  // Bytes after a NUL are still examined.
  EXPECT_TRUE(GuideRequest::IsReplyOk(std::string("HTTP/1.0 404\r\n\0 200", 19)));
}

TEST(GuideServiceAddress, HostAndPortOfABaseUrl) {
  struct Case {
    std::u16string url;
    std::u16string host;
    uint16_t port;
  } cases[] = {
      {u"http://127.0.0.1:8080", u"127.0.0.1", 8080},
      {u"http://tv.example.net:81/api/v2?x=1", u"tv.example.net", 81},
      {u"http://tv.example.net/api", u"tv.example.net", 80},
      {u"HTTP://tv.example.net", u"tv.example.net", 80},
      {u"https://tv.example.net", u"tv.example.net", 443},
      {u"http://user:pw@tv.example.net:90", u"tv.example.net", 90},
      {u"tv.example.net:85", u"tv.example.net", 85},
      {u"http://h:", u"h", 80},
      {u"http://h:99999", u"h", 0},
      {u"http://h:8o", u"h", 0},
      {u"http://h:0", u"h", 0},
      {u"http://[::1]:8080/", u"[::1]", 8080},
      {u"", u"", 80},
  };
  for (const Case& c : cases) {
    const GuideServiceAddress a = GuideServiceAddress::Parse(c.url);
    EXPECT_EQ(a.host, c.host) << std::string(c.url.begin(), c.url.end());
    EXPECT_EQ(a.port, c.port) << std::string(c.url.begin(), c.url.end());
  }
}

}  // namespace
}  // namespace tembra
