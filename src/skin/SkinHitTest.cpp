#include "skin/SkinHitTest.h"

#include <algorithm>

namespace tembra {

SkinHit skinHitTest(const SkinHitQuery& q) {
  const SkinRect& r = q.client;
  const SkinRect& s = q.sizeBox;
  if (q.resizable && !q.maximised) {
    const bool left = q.x < r.left + s.left;
    const bool right = q.x > r.right - s.right;
    if (q.y < r.top + s.top) return left ? SkinHit::TopLeft : right ? SkinHit::TopRight : SkinHit::Top;
    if (q.y > r.bottom - s.bottom) {
      return left ? SkinHit::BottomLeft : right ? SkinHit::BottomRight : SkinHit::Bottom;
    }
    if (left) return SkinHit::Left;
    if (right) return SkinHit::Right;
  }
  const SkinRect& c = q.caption;
  const bool inCaption =
      q.x >= c.left + r.left && q.x < r.right - c.right && q.y >= c.top && q.y < c.bottom;
  if (inCaption && q.controlFound) {
    const bool excluded = q.notCaption != nullptr &&
                          std::find(q.notCaption->begin(), q.notCaption->end(), q.controlClass) != q.notCaption->end();
    if (!excluded) return SkinHit::Caption;
  }
  return SkinHit::Client;
}

const std::vector<std::u16string_view>& mainWindowNotCaption() {
  static const std::vector<std::u16string_view> kClasses = {u"ButtonUI", u"OptionUI", u"TextUI"};
  return kClasses;
}

const std::vector<std::u16string_view>& dialogNotCaption() {
  static const std::vector<std::u16string_view> kClasses = {u"ButtonUI"};
  return kClasses;
}

}  // namespace tembra
