#pragma once
#include <string>

namespace tembra {

// One programme (a tvitem element). The four texts are kept exactly as the
// reply gives them; only starttime and title are interpreted later.
struct GuideEntry {
  std::u16string title;
  std::u16string startdate;
  std::u16string enddate;
  std::u16string starttime;  // expected "HH:MM:SS", zero-padded, 24-hour

  bool operator==(const GuideEntry&) const = default;
};

}  // namespace tembra
