#include "stats/StatsRecord.h"

#include <cstdio>

#include "platform/Utf.h"

namespace tembra {

namespace {

std::u16string quoted(std::u16string_view value) {
  std::u16string out;
  out.reserve(value.size() + 2);
  out += u'"';
  out += value;
  out += u'"';
  return out;
}

// {"<code>",{"v1","v2",...}} with each value quoted.
std::u16string body(std::u16string_view code, std::initializer_list<std::u16string_view> values) {
  std::u16string out = u"{" + quoted(code) + u",{";
  bool first = true;
  for (std::u16string_view v : values) {
    if (!first) out += u',';
    first = false;
    out += quoted(v);
  }
  out += u"}}";
  return out;
}

std::u16string number(uint32_t n) { return asciiToUtf16(std::to_string(n)); }

}  // namespace

std::u16string StatsRecord::LocalTime(int64_t now, int64_t offsetSeconds) {
  std::tm parts{};
  const time_t corrected = static_cast<time_t>(now + offsetSeconds);
  if (localtime_r(&corrected, &parts) == nullptr) {
    const time_t plain = static_cast<time_t>(now);
    if (localtime_r(&plain, &parts) == nullptr) parts = std::tm{};
  }
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return asciiToUtf16(text);
}

std::u16string StatsRecord::Header(std::u16string_view machineAddress, std::u16string_view osName,
                                   std::u16string_view localTime) {
  std::u16string out = u"{";
  for (std::u16string_view v : {kDevice, machineAddress, kOsFamily, osName, kLocale, localTime}) {
    out += quoted(v);
    out += u',';
  }
  out += u"\"1\"}";
  return out;
}

std::u16string StatsRecord::Record(std::u16string_view header, std::u16string_view eventBody) {
  std::u16string out;
  out.reserve(header.size() + eventBody.size() + 3);
  out += u'{';
  out += header;
  out += u',';
  out += eventBody;
  out += u'}';
  return out;
}

std::u16string StatsRecord::StartBody() {
  return body(u"00006", {kClientCode, kClientVersion, kLocale});
}

std::u16string StatsRecord::CatalogueBody(uint32_t seconds) {
  return body(u"02008", {kClientCode, number(seconds)});
}

std::u16string StatsRecord::StartupBody(uint32_t seconds) {
  return body(u"06001", {kClientCode, kClientVersion, kLocale, number(seconds)});
}

std::u16string StatsRecord::WatchBody(int kind, std::u16string_view channelId,
                                      std::u16string_view channelName, uint32_t seconds,
                                      std::u16string_view groupId, std::u16string_view groupName) {
  const std::u16string kindText = asciiToUtf16(std::to_string(kind));
  return body(u"02011",
              {kindText, kClientCode, channelId, channelName, number(seconds), groupId, groupName});
}

std::u16string StatsRecord::CloseBody() {
  return body(u"00007", {kClientCode, kClientVersion, kLocale});
}

uint32_t StatsRecord::Elapsed(int64_t from, int64_t to) {
  if (to <= from) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(to - from));
}

}  // namespace tembra
