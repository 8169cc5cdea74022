#include <gtest/gtest.h>

#include <string>

#include "playlist/CatchupAddress.h"

namespace tembra {
namespace {

// 2023-11-14 22:13:20 UTC, ninety minutes long, asked for two hours after
// its start.
constexpr CatchupAddress::Times kTimes{1700000000, 1700005400, 1700007200};

struct Case {
  const char* what;
  const char* url;
  const char* mode;
  const char* source;
  std::optional<double> correction;
  std::optional<int> days;
  const char* expected;  // null: no catch-up
};

PlaylistChannel channelOf(const Case& c) {
  PlaylistChannel channel;
  channel.url = c.url;
  channel.catchup = c.mode;
  channel.catchupSource = c.source;
  channel.catchupCorrection = c.correction;
  channel.catchupDays = c.days;
  return channel;
}

TEST(CatchupAddress, EveryModeMakesItsAddress) {
  const Case cases[] = {
      {"default fills the whole source", "http://s/ch1", "default", "http://a/ch1?from={utc}&to={utcend}", {}, {},
       "http://a/ch1?from=1700000000&to=1700005400"},
      {"default without a source is shift", "http://s/ch1", "default", "", {}, {},
       "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"append adds the source to the address", "http://s/ch1.m3u8?t=1", "append", "&start=${start}&end=${end}", {},
       {}, "http://s/ch1.m3u8?t=1&start=1700000000&end=1700005400"},
      {"append without a source is shift", "http://s/ch1", "append", "", {}, {},
       "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"shift", "http://s/ch1", "shift", "", {}, {}, "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"shift after a query uses &", "http://s/ch1?token=x", "shift", "", {}, {},
       "http://s/ch1?token=x&utc=1700000000&lutc=1700007200"},
      {"the old timeshift attribute", "http://s/ch1", "", "", {}, 3, "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"timeshift as a mode", "http://s/ch1", "timeshift", "", {}, {}, "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"modes in any case", "http://s/ch1", " SHIFT ", "", {}, {}, "http://s/ch1?utc=1700000000&lutc=1700007200"},
      {"flussonic mpegts", "http://f:80/news/mpegts?token=t", "flussonic", "", {}, {},
       "http://f:80/news/timeshift_abs-1700000000.ts?token=t"},
      {"flussonic index.m3u8", "http://f/news/index.m3u8", "flussonic", "", {}, {},
       "http://f/news/index-1700000000-5400.m3u8"},
      {"fs mono.m3u8", "https://f/a/news/mono.m3u8?token=t", "fs", "", {}, {},
       "https://f/a/news/mono-1700000000-5400.m3u8?token=t"},
      {"flussonic with another address has none", "http://f/news/stream.ts", "flussonic", "", {}, {}, nullptr},
      {"xc live .ts", "http://x:8080/live/u%40s/p%26w/123.ts", "xc", "", {}, {},
       "http://x:8080/timeshift/u%40s/p%26w/90/2023-11-14:22-13/123.ts"},
      {"xc keeps .m3u8", "http://x:8080/live/u/p/123.m3u8", "xc", "", {}, {},
       "http://x:8080/timeshift/u/p/90/2023-11-14:22-13/123.m3u8"},
      {"xc short form", "http://x:8080/u/p/123", "xc", "", {}, {},
       "http://x:8080/timeshift/u/p/90/2023-11-14:22-13/123.ts"},
      {"xc under a server path", "http://x/iptv/live/u/p/7.ts", "xc", "", {}, {},
       "http://x/iptv/timeshift/u/p/90/2023-11-14:22-13/7.ts"},
      {"xc with an address of another shape uses its source", "http://x/ch", "xc", "http://y/{utc}", {}, {},
       "http://y/1700000000"},
      {"xc with an address of another shape and no source", "http://x/ch", "xc", "", {}, {}, nullptr},
      {"a correction moves start and end, not now", "http://s/ch1", "shift", "", 1.5, {},
       "http://s/ch1?utc=1700005400&lutc=1700007200"},
      {"a negative correction", "http://x/live/u/p/1.ts", "xc", "", -1, {},
       "http://x/timeshift/u/p/90/2023-11-14:21-13/1.ts"},
      {"an unknown mode", "http://s/ch1", "vod", "", {}, {}, nullptr},
      {"no mode and no days", "http://s/ch1", "", "", {}, {}, nullptr},
      {"braces in the address stay", "http://s/{utc}/ch1", "shift", "", {}, {},
       "http://s/{utc}/ch1?utc=1700000000&lutc=1700007200"},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> address = CatchupAddress::build(channelOf(c), kTimes);
    if (c.expected == nullptr) {
      EXPECT_FALSE(address) << c.what << ": " << address.value_or("");
    } else {
      EXPECT_EQ(address.value_or("(none)"), c.expected) << c.what;
    }
  }
}

TEST(CatchupAddress, EverySpecifierIsFilled) {
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"{utc}|${start}", "1700000000|1700000000"},
      {"{utcend}|${end}", "1700005400|1700005400"},
      {"{lutc}|${now}|${timestamp}", "1700007200|1700007200|1700007200"},
      {"{duration}|${duration}", "5400|5400"},
      {"{duration:60}|{duration:7}", "90|771"},
      {"{offset:1}|{offset:60}|{offset:3600}", "7200|120|2"},
      {"{Y}-{m}-{d} {H}:{M}:{S}", "2023-11-14 22:13:20"},
      // Not specifiers: left as they are.
      {"{duration:0}{duration:x}{offset:}{utc", "{duration:0}{duration:x}{offset:}{utc"},
      // "${utc}" is no specifier, but the "{utc}" in it is.
      {"${utc}{start}{nothing}$", "$1700000000{start}{nothing}$"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CatchupAddress::fill(c.pattern, kTimes), c.expected) << c.pattern;
}

TEST(CatchupAddress, DateFieldsArePaddedAndInUtc) {
  // 0987-01-02 03:04:05 UTC.
  const CatchupAddress::Times early{-31020353755, -31020353755 + 60, 0};
  EXPECT_EQ(CatchupAddress::fill("{Y}{m}{d}{H}{M}{S}", early), "0987" "01" "02" "03" "04" "05");
}

}  // namespace
}  // namespace tembra
