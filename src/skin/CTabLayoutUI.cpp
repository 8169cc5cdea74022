#include "skin/CTabLayoutUI.h"

namespace tembra {

CTabLayoutUI::CTabLayoutUI(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinContainer(node, ctx, parent) {
  current_ = std::max(0, node.integer(u"selectedid"));
}

int CTabLayoutUI::pageCount() const { return static_cast<int>(childControls().size()); }

bool CTabLayoutUI::selectPage(int index) {
  const QList<SkinControl*> pages = childControls();
  if (index < 0 || index >= pages.size()) return false;
  current_ = index;
  for (int i = 0; i < pages.size(); ++i) pages[i]->setVisible(i == index);
  relayout();
  return true;
}

void CTabLayoutUI::layoutChildren(const QRect& content) {
  for (SkinControl* page : childControls()) {
    if (page->isFloating()) continue;
    place(page, content.marginsRemoved(page->padding()));
  }
}

void CTabLayoutUI::finishBuild() {
  if (!selectPage(current_)) selectPage(0);
}

}  // namespace tembra
