#pragma once
#include <QString>

#include <cstdint>
#include <functional>
#include <set>
#include <utility>

#include "skin/SkinRowDecor.h"

namespace tembra {

// What a channel's day list shows beside its programmes: the bar under the
// programme on now (the marked row whose text is the one on now shows how
// much of it has run), and the record mark of programmes whose recording
// is scheduled.
class DayRowDecor : public SkinRowDecor {
 public:
  // Programmes by channel id and start (UTC seconds).
  using Programmes = std::set<std::pair<QString, int64_t>>;

  // now gives the clock (UTC seconds); empty: the system's.
  explicit DayRowDecor(std::function<int64_t()> now = {});

  SkinRowDecoration decorate(const CListLabelElementUI& item, int pictureSide, bool subline) override;

  // The row on now (its text) and its times; an empty text: none.
  void setOnNow(const QString& text, int64_t start, int64_t stop);
  void clear() { setOnNow({}, 0, 0); }
  // The programmes scheduled for recording: a row of one's channel and
  // start carries the mark. Made once per change of the schedule,
  // so that a paint looks a row up rather than reading the schedule.
  void setScheduled(Programmes programmes) { scheduled_ = std::move(programmes); }
  bool scheduled(const CListLabelElementUI& item) const;

 private:
  std::function<int64_t()> now_;
  // GUI thread only.
  QString text_;
  int64_t start_ = 0, stop_ = 0;
  Programmes scheduled_;  // GUI thread only
};

}  // namespace tembra
