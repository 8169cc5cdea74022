#include "mainwnd/StatusPanel.h"

#include <algorithm>

namespace tembra {

namespace {
constexpr int kMargin = 6;
constexpr int kTop = 30;
constexpr int kHeight = 160;
constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 23;
}  // namespace

StatusPanel::Rects StatusPanel::over(const PixelRect& list) {
  Rects r;
  const int top = list.top + std::min(kTop, std::max(0, list.height() - kHeight) / 2);
  r.panel = {list.left + kMargin, top, std::max(list.left + kMargin, list.right - kMargin),
             std::min(list.bottom, top + kHeight)};
  const int inner = 8;
  r.button.top = r.panel.bottom - inner - kButtonHeight;
  r.button.bottom = r.panel.bottom - inner;
  const int centre = (r.panel.left + r.panel.right) / 2;
  r.button.left = centre - kButtonWidth / 2;
  r.button.right = centre + kButtonWidth / 2;
  r.label = {r.panel.left + inner, r.panel.top + inner, r.panel.right - inner, r.button.top - inner};
  return r;
}

std::u16string StatusPanel::text(const std::u16string& reason, const std::u16string& countdown) {
  if (reason.empty()) return countdown;
  if (countdown.empty()) return reason;
  return reason + u"\n\n" + countdown;
}

}  // namespace tembra
