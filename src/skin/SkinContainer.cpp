#include "skin/SkinContainer.h"

#include <QMoveEvent>

namespace tembra {

SkinContainer::SkinContainer(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent) {
  inset_ = toMargins(node.rect(u"inset"));
  childPadding_ = std::max(0, node.integer(u"childpadding"));
}

QList<SkinControl*> SkinContainer::childControls() const {
  QList<SkinControl*> out;
  for (QObject* o : children()) {
    if (auto* c = qobject_cast<SkinControl*>(o)) out.append(c);
  }
  return out;
}

void SkinContainer::resizeEvent(QResizeEvent*) { relayout(); }

void SkinContainer::showEvent(QShowEvent*) { relayout(); }

void SkinContainer::moveEvent(QMoveEvent*) { placeFloating(); }

void SkinContainer::relayout() {
  if (inLayout_) return;
  inLayout_ = true;
  layoutChildren(rect().marginsRemoved(inset_));
  placeFloating();
  inLayout_ = false;
}

void SkinContainer::placeFloating() {
  for (SkinControl* c : childControls()) {
    if (!c->isFloating()) continue;
    const QRect g = c->floatingGeometry();
    if (c->geometry() != g) {
      place(c, g);
    } else if (auto* sub = qobject_cast<SkinContainer*>(c)) {
      sub->placeFloating();
    }
  }
}

void SkinContainer::layoutChildren(const QRect& content) {
  switch (kind()) {
    case SkinControlKind::VerticalLayout: layoutLine(content, true); return;
    case SkinControlKind::HorizontalLayout: layoutLine(content, false); return;
    default: break;
  }
  for (SkinControl* c : childControls()) {
    if (c->isFloating() || c->isHidden()) continue;
    QRect r = content.marginsRemoved(c->padding());
    if (c->layoutWidth() > 0) r.setWidth(c->layoutWidth());
    if (c->layoutHeight() > 0) r.setHeight(c->layoutHeight());
    place(c, r);
  }
}

// A widget that is not visible gets its resize event only when shown, so
// a hidden container is laid out at once: positions read before the
// window is shown are then already right.
void SkinContainer::place(SkinControl* c, const QRect& r) {
  c->setGeometry(r);
  if (auto* sub = qobject_cast<SkinContainer*>(c); sub != nullptr && !sub->isVisible()) sub->relayout();
}

// Fixed sizes first; the stretching children share the rest evenly, within
// their minimum and maximum sizes, the last one taking the rounding.
void SkinContainer::layoutLine(const QRect& content, bool vertical) {
  QList<SkinControl*> flow;
  for (SkinControl* c : childControls()) {
    if (!c->isFloating() && !c->isHidden()) flow.append(c);
  }
  if (flow.isEmpty()) return;
  const int total = vertical ? content.height() : content.width();
  int fixed = childPadding_ * (static_cast<int>(flow.size()) - 1);
  int stretching = 0;
  for (SkinControl* c : flow) {
    const QMargins m = c->padding();
    fixed += vertical ? m.top() + m.bottom() : m.left() + m.right();
    const int f = vertical ? c->layoutHeight() : c->layoutWidth();
    if (f > 0) fixed += f;
    else ++stretching;
  }
  int left = std::max(0, total - fixed);
  int pos = vertical ? content.top() : content.left();
  for (SkinControl* c : flow) {
    const QMargins m = c->padding();
    int extent = vertical ? c->layoutHeight() : c->layoutWidth();
    if (extent <= 0) {
      extent = stretching > 0 ? left / stretching : 0;
      const int mn = vertical ? c->minLayoutHeight() : c->minLayoutWidth();
      const int mx = vertical ? c->maxLayoutHeight() : c->maxLayoutWidth();
      if (mx > 0) extent = std::min(extent, mx);
      extent = std::max(extent, mn);
      left -= extent;
      --stretching;
    }
    QRect r;
    if (vertical) {
      pos += m.top();
      const int w = c->layoutWidth() > 0 ? c->layoutWidth() : content.width() - m.left() - m.right();
      r = QRect(content.left() + m.left(), pos, std::max(0, w), std::max(0, extent));
      pos += extent + m.bottom() + childPadding_;
    } else {
      pos += m.left();
      const int h = c->layoutHeight() > 0 ? c->layoutHeight() : content.height() - m.top() - m.bottom();
      r = QRect(pos, content.top() + m.top(), std::max(0, extent), std::max(0, h));
      pos += extent + m.right() + childPadding_;
    }
    place(c, r);
  }
}

}  // namespace tembra
