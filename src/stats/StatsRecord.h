#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace tembra {

// The text of one statistics record: a header naming the machine and the
// moment, and an event body. The statistics server parses these texts as
// they are, so every fixed value and separator here is part of the wire.
class StatsRecord {
 public:
  static constexpr std::u16string_view kClientCode = u"240011";
  static constexpr std::u16string_view kClientVersion = u"1.0.2";
  static constexpr std::u16string_view kLocale = u"hi_IN";
  static constexpr std::u16string_view kDevice = u"PC";
  static constexpr std::u16string_view kOsFamily = u"windows";

  // "YYYY-MM-DD hh:mm:ss" of now + offsetSeconds in local time; the plain
  // local time of now when the corrected moment cannot be broken down.
  static std::u16string LocalTime(int64_t now, int64_t offsetSeconds);

  // {"PC","<machine>","windows","<os>","hi_IN","<time>","1"}
  static std::u16string Header(std::u16string_view machineAddress, std::u16string_view osName,
                               std::u16string_view localTime);
  // {<header>,<body>}
  static std::u16string Record(std::u16string_view header, std::u16string_view body);

  // Event bodies. Durations are whole seconds; the server reads them as
  // unsigned 32-bit numbers.
  static std::u16string StartBody();                       // "00006"
  static std::u16string CatalogueBody(uint32_t seconds);   // "02008"
  static std::u16string StartupBody(uint32_t seconds);     // "06001"
  static std::u16string WatchBody(int kind, std::u16string_view channelId,
                                  std::u16string_view channelName, uint32_t seconds,
                                  std::u16string_view groupId,
                                  std::u16string_view groupName);  // "02011"
  static std::u16string CloseBody();                       // "00007"

  // Seconds from `from` to `to` as a record carries them: a clock set back
  // in between gives 0, not a wrapped 32-bit count of about 136 years.
  static uint32_t Elapsed(int64_t from, int64_t to);
};

}  // namespace tembra
