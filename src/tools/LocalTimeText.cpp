#include "tools/LocalTimeText.h"

#include <time.h>

namespace tembra::tools {

// A local time written "YYYY-MM-DD HH:MM:SS" (TZ applies), strictly.
std::optional<int64_t> LocalTimeText::parse(const std::string& text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  int v[6];
  const size_t at[6] = {0, 5, 8, 11, 14, 17};
  const size_t len[6] = {4, 2, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    v[i] = 0;
    for (size_t k = at[i]; k < at[i] + len[i]; ++k) {
      if (text[k] < '0' || text[k] > '9') return std::nullopt;
      v[i] = v[i] * 10 + (text[k] - '0');
    }
  }
  struct tm t {};
  t.tm_year = v[0] - 1900;
  t.tm_mon = v[1] - 1;
  t.tm_mday = v[2];
  t.tm_hour = v[3];
  t.tm_min = v[4];
  t.tm_sec = v[5];
  t.tm_isdst = -1;
  if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[3] > 23 || v[4] > 59 || v[5] > 59) return std::nullopt;
  const time_t result = mktime(&t);
  // A day the month does not have comes back as another date.
  if (t.tm_mday != v[2] || result == static_cast<time_t>(-1)) return std::nullopt;
  return static_cast<int64_t>(result);
}

}  // namespace tembra::tools
