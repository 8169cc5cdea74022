#pragma once
#include <QString>

#include <cstdint>
#include <functional>

#include "skin/SkinRowDecor.h"

namespace tembra {

// The bar under the programme on now in a channel's day list: the marked
// row whose text is the one on now shows how much of it has run.
class DayRowDecor : public SkinRowDecor {
 public:
  // now gives the clock (UTC seconds); empty: the system's.
  explicit DayRowDecor(std::function<int64_t()> now = {});

  SkinRowDecoration decorate(const CListLabelElementUI& item, int pictureSide, bool subline) override;

  // The row on now (its text) and its times; an empty text: none.
  void setOnNow(const QString& text, int64_t start, int64_t stop);
  void clear() { setOnNow({}, 0, 0); }

 private:
  std::function<int64_t()> now_;
  // GUI thread only.
  QString text_;
  int64_t start_ = 0, stop_ = 0;
};

}  // namespace tembra
