#include "mainwnd/ScreenSaverRule.h"

namespace tembra {

ScreenSaverRule::ScreenSaverRule(Query query, Inhibit inhibit)
    : query_(std::move(query)), inhibit_(std::move(inhibit)) {}

ScreenSaverRule::~ScreenSaverRule() { release(); }

bool ScreenSaverRule::holdDisplay() const { return query_ && query_() != 0; }

void ScreenSaverRule::refresh() {
  if (released_) return;
  const bool hold = holdDisplay();
  if (hold == held_) return;
  held_ = hold;
  if (inhibit_) inhibit_(hold);
}

void ScreenSaverRule::release() {
  released_ = true;
  if (!held_) return;
  held_ = false;
  if (inhibit_) inhibit_(false);
}

}  // namespace tembra
