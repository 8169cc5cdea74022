#pragma once
#include "skin/SkinContainer.h"

namespace tembra {

// A container that shows one child (page) at a time, filling it.
class CTabLayoutUI : public SkinContainer {
  Q_OBJECT

 public:
  CTabLayoutUI(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  // Shows page index (0-based) and hides the others; false when there is
  // no such page.
  bool selectPage(int index);
  int currentPage() const { return current_; }
  int pageCount() const;
  // Applies the layout's selectedid once the pages exist.
  void finishBuild();

 protected:
  // Every page gets the whole content rectangle, shown or not, so the
  // positions of controls on hidden pages are right before they show.
  void layoutChildren(const QRect& content) override;

 private:
  int current_ = 0;
};

}  // namespace tembra
