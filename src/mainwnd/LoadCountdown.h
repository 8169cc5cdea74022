#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// The one-second count-down of a loading indicator (channel list: timer 1,
// "listloadtime"; guide: timer 2, "noticeloadtime"). Starting sets the
// counter to kStart and ticks once at once, so the texts run 10, 9, ... 1,
// one a second, and the tick after 1 is the retry.
class LoadCountdown {
 public:
  static constexpr int kStart = 10;
  static constexpr int kIntervalMs = 1000;

  // One tick: the number to show (and the counter decreased), or nothing
  // when the counter is spent and the retry is due.
  static std::optional<int> tick(int& counter);

  // The text of the language entry with its integer placeholder ("%d", also
  // "%i" or "%u") replaced by n; "%%" gives "%". The template comes from an
  // editable file, so it is never used as a printf format: any other
  // conversion, or a second placeholder, stays as written. An empty
  // template gives the empty text (the control is then left alone).
  static std::u16string text(std::u16string_view templ, int n);
};

}  // namespace tembra
