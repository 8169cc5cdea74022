#include "stats/ServerClock.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/LoopbackListener.h"

namespace tembra {
namespace {

using test::LoopbackListener;

int64_t fixedReference() { return 1299999990; }

TEST(ServerClock, OffsetIsServerSecondsMinusTheReference) {
  EXPECT_EQ(ServerClock::OffsetFromBody("1300000000000", 1299999990), 10);
  EXPECT_EQ(ServerClock::OffsetFromBody("1300000000999", 1299999990), 10);
  EXPECT_EQ(ServerClock::OffsetFromBody("  +1300000000999\r\n", 1299999990), 10);
  EXPECT_EQ(ServerClock::OffsetFromBody("1299999980000 ms", 1299999990), -10);
  EXPECT_EQ(ServerClock::OffsetFromBody("-1500", 0), -1);  // division truncates toward zero
  for (const char* unusable : {"0", "", "   ", "time=1300000000000", "-", "+0", "99999999999999999999"})
    EXPECT_FALSE(ServerClock::OffsetFromBody(unusable, 1299999990)) << unusable;
}

TEST(ServerClock, BodyIsWhatFollowsTheEndOfHeaders) {
  EXPECT_EQ(ServerClock::Body("HTTP/1.0 200 OK\r\nX: y\r\n\r\n123\r\n\r\n4"), "123\r\n\r\n4");
  EXPECT_EQ(ServerClock::Body("HTTP/1.0 200 OK\r\n"), "");
  EXPECT_EQ(ServerClock::Body("\r\n\r\n" + std::string(5000, '7')).size(), ServerClock::kMaxBodyChars);
}

std::optional<int64_t> measureAgainst(const std::string& reply) {
  LoopbackListener server(reply);
  return ServerClock::Measure("localhost", server.port(), fixedReference);
}

TEST(ServerClock, SendsTheExactRequestWithTheOfficialNameAndReadsTheOffset) {
  LoopbackListener server("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n1300000000999");
  EXPECT_EQ(ServerClock::Measure("localhost", server.port(), fixedReference), 10);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /getTime HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: "
            "close\r\nHost: localhost:" +
                std::to_string(server.port()) + "\r\nUser-Agent: xxx\r\n\r\n");
  EXPECT_EQ(ServerClock::Request("stats.example", 8080),
            "GET /getTime HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: "
            "close\r\nHost: stats.example:8080\r\nUser-Agent: xxx\r\n\r\n");
  // Headers longer than one read piece still leave only the body.
  const std::string longHead = "HTTP/1.0 200 OK\r\nX: " + std::string(3000, 'h') + "\r\n\r\n1300000000000";
  EXPECT_EQ(measureAgainst(longHead), 10);
}

TEST(ServerClock, UnusableAnswersLeaveNoOffset) {
  EXPECT_FALSE(measureAgainst("HTTP/1.0 200 OK\r\n\r\n0"));
  EXPECT_FALSE(measureAgainst("HTTP/1.0 200 OK\r\n\r\n"));
  EXPECT_FALSE(measureAgainst("HTTP/1.0 200 OK\r\n\r\nnow is 1300000000000"));
  EXPECT_FALSE(measureAgainst("HTTP/1.0 200 OK\r\nno end of headers 1300000000000"));
  EXPECT_FALSE(ServerClock::Measure("127.0.0.1", test::refusedPort(), fixedReference));
  EXPECT_FALSE(ServerClock::Measure("no-such-host.invalid", 80, fixedReference));
}

TEST(ServerClock, AServerThatNeverAnswersIsGivenUpOnWithinTheReplyLimit) {
  LoopbackListener silent("", LoopbackListener::Mode::Silent);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ServerClock::Measure("127.0.0.1", silent.port(), fixedReference, 500));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(450));
  EXPECT_LT(took, std::chrono::milliseconds(3000));
  EXPECT_EQ(silent.requests().size(), 1u);
}

}  // namespace
}  // namespace tembra
