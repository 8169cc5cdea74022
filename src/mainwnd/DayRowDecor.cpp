#include "mainwnd/DayRowDecor.h"

#include <chrono>

#include "mainwnd/ChannelRowDecor.h"

namespace tembra {

DayRowDecor::DayRowDecor(std::function<int64_t()> now)
    : now_(now ? std::move(now) : [] {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
      }) {}

void DayRowDecor::setOnNow(const QString& text, int64_t start, int64_t stop) {
  text_ = text;
  start_ = start;
  stop_ = stop;
}

bool DayRowDecor::scheduled(const CListLabelElementUI& item) const {
  return item.start != 0 && scheduled_.count({item.channel, item.start}) != 0;
}

SkinRowDecoration DayRowDecor::decorate(const CListLabelElementUI& item, int, bool) {
  SkinRowDecoration d;
  d.recordMark = scheduled(item);
  if (text_.isEmpty() || item.markerImage.isEmpty() || item.text != text_) return d;
  if (const auto share = ChannelRowDecor::progress(start_, stop_, now_())) d.progress = *share;
  return d;
}

}  // namespace tembra
