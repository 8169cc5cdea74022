#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace tembra {

// Guide times. A guide writes "YYYYMMDDhhmmss +hhmm"; the seconds may be
// left out ("YYYYMMDDhhmm", read as zero), the offset too (read as UTC).
// Everything is kept as UTC seconds since the epoch.
class XmltvTime {
 public:
  // UTC seconds of a guide time, or nothing when the text does not have
  // that shape or names a date or time that does not exist.
  static std::optional<int64_t> parse(std::string_view text);

  // UTC seconds of a civil date and time in UTC (no range checks).
  static int64_t fromCivil(int year, int month, int day, int hour, int minute, int second);

  // Seconds of a shift given in hours (fractional, negative allowed),
  // rounded to the nearest second; absurd values are clamped to a week.
  static int64_t shiftSeconds(double hours);
};

}  // namespace tembra
