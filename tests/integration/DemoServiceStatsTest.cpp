// The statistics collector and the clock of the demo service.
#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <cstdio>

#include "integration/DemoService.h"
#include "platform/HttpClient.h"

namespace tembra {
namespace {

using test::DemoService;

// The client's upload encoding: UTF-8, Base64, '+' -> '-', then every byte
// but [0-9a-zA-Z/.] percent-encoded.
std::string encodeUpload(const std::vector<std::string>& records) {
  std::string text;
  for (const auto& r : records) text += (text.empty() ? "" : "^^") + r;
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string b64;
  size_t i = 0;
  for (; i + 2 < text.size(); i += 3) {
    uint32_t n = (uint8_t(text[i]) << 16) | (uint8_t(text[i + 1]) << 8) | uint8_t(text[i + 2]);
    for (int k = 3; k >= 0; --k) b64 += alphabet[(n >> (6 * k)) & 63];
  }
  if (i + 1 == text.size()) {
    uint32_t n = uint8_t(text[i]) << 16;
    b64 += alphabet[n >> 18];
    b64 += alphabet[(n >> 12) & 63];
    b64 += "==";
  } else if (i + 2 == text.size()) {
    uint32_t n = (uint8_t(text[i]) << 16) | (uint8_t(text[i + 1]) << 8);
    b64 += alphabet[n >> 18];
    b64 += alphabet[(n >> 12) & 63];
    b64 += alphabet[(n >> 6) & 63];
    b64 += '=';
  }
  std::string body = "mes=";
  for (char c : b64) {
    if (c == '+') c = '-';
    if (isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.') {
      body += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      body += hex;
    }
  }
  return body;
}

// Reads a JSON array of strings (the /demo/records answer).
bool parseStringArray(const std::string& json, std::vector<std::string>& out) {
  size_t i = json.find('[');
  if (i == std::string::npos) return false;
  ++i;
  auto skip = [&] {
    while (i < json.size() && isspace(static_cast<unsigned char>(json[i]))) ++i;
  };
  skip();
  if (i < json.size() && json[i] == ']') return true;
  for (;;) {
    skip();
    if (i >= json.size() || json[i++] != '"') return false;
    std::string s;
    while (i < json.size() && json[i] != '"') {
      char c = json[i++];
      if (c != '\\') {
        if (static_cast<unsigned char>(c) < 0x20) return false;
        s += c;
        continue;
      }
      if (i >= json.size()) return false;
      char e = json[i++];
      switch (e) {
        case '"': case '\\': case '/': s += e; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'u': {
          if (i + 4 > json.size()) return false;
          unsigned v = std::stoul(json.substr(i, 4), nullptr, 16);
          i += 4;
          if (v >= 0x80) return false;  // only control characters are escaped
          s += static_cast<char>(v);
          break;
        }
        default: return false;
      }
    }
    if (i >= json.size()) return false;
    ++i;
    out.push_back(s);
    skip();
    if (i < json.size() && json[i] == ',') {
      ++i;
      continue;
    }
    return i < json.size() && json[i] == ']';
  }
}

std::vector<std::string> records(const DemoService& demo) {
  auto reply = demo.Get("/demo/records");
  std::vector<std::string> out;
  EXPECT_EQ(reply.status, 200);
  EXPECT_TRUE(parseStringArray(reply.body, out)) << reply.body;
  return out;
}

const std::string kStart =
    R"rec({{"PC","00-1A-2B-3C-4D-5E","windows","Debian GNU/Linux 12 (bookworm)","hi_IN","2024-05-04 20:15:09","1"},{"00006",{"240011","1.0.2","hi_IN"}}})rec";
const std::string kWatch =
    R"rec({{"PC","00-1A-2B-3C-4D-5E","windows","","hi_IN","2024-05-04 20:17:10","1"},{"02011",{"0","240011","10002","संगम Beats \\ \"quoted\"","121","1","News"}}})rec";

TEST(DemoServiceStats, UploadsRoundTripThroughTheClientsEncoding) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_TRUE(records(demo).empty());
  // The client's own transport, path and form type.
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected", encodeUpload({kStart}), 2000), 200);
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected",
                                 encodeUpload({kWatch, kStart + "\ttab\x01"}), 2000),
            200);
  EXPECT_EQ(records(demo), (std::vector<std::string>{kStart, kWatch, kStart + "\ttab\x01"}));
  EXPECT_EQ(demo.Post("/collected", encodeUpload({})).status, 200);
  EXPECT_EQ(records(demo).size(), 3u);
}

TEST(DemoServiceStats, ClearingEmptiesTheRecordList) {
  DemoService demo;
  ASSERT_TRUE(demo.started()) << demo.error();
  ASSERT_EQ(demo.Post("/collected", encodeUpload({"a", "b"})).status, 200);
  ASSERT_EQ(records(demo).size(), 2u);
  httplib::Client client("127.0.0.1", demo.port());
  auto res = client.Delete("/demo/records");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_TRUE(records(demo).empty());
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
  EXPECT_TRUE(records(demo).empty());
}

TEST(DemoServiceStats, StatisticsFaultAnswers500AndKeepsNothingUntilCleared) {
  DemoService demo({"--stats-500"});
  ASSERT_TRUE(demo.started()) << demo.error();
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected", encodeUpload({kStart}), 2000), 500);
  EXPECT_TRUE(records(demo).empty());
  ASSERT_EQ(demo.Post("/demo/faults", "stats-500=0").status, 200);
  EXPECT_EQ(HttpClient::PostForm("127.0.0.1", demo.port(), "collected", encodeUpload({kStart}), 2000), 200);
  EXPECT_EQ(records(demo).size(), 1u);
}

long long clockReply(uint16_t port) {
  std::string reply = DemoService::RawExchange(
      port, "GET /getTime HTTP/1.0\r\nAccept: */*\r\nCache-Control: no-cache\r\nConnection: close\r\nHost: localhost:" +
                std::to_string(port) + "\r\nUser-Agent: xxx\r\n\r\n");
  size_t split = reply.find("\r\n\r\n");
  if (split == std::string::npos) return -1;
  std::string body = reply.substr(split + 4);
  if (body.empty() || body.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoll(body);
}

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

TEST(DemoServiceStats, ClockAnswersMillisecondsSince1970AndHonoursTheOffset) {
  DemoService plain;
  DemoService ahead({"--clock-offset", "3600"});
  ASSERT_TRUE(plain.started() && ahead.started()) << plain.error() << ahead.error();
  const long long before = nowMs();
  const long long server = clockReply(plain.port());
  const long long later = clockReply(ahead.port());
  const long long after = nowMs();
  EXPECT_GE(server, before - 5000);
  EXPECT_LE(server, after + 5000);
  EXPECT_GE(later - 3600 * 1000, before - 5000);
  EXPECT_LE(later - 3600 * 1000, after + 5000);
}

}  // namespace
}  // namespace tembra
