#include "skin/SkinVideoSlot.h"

namespace tembra {

void SkinVideoSlot::setContent(QWidget* widget) {
  if (content_ == widget) return;
  if (content_) takeContent();
  content_ = widget;
  if (widget == nullptr) return;
  widget->setParent(this);
  widget->setGeometry(rect());
  widget->show();
}

QWidget* SkinVideoSlot::takeContent() {
  QWidget* w = content_;
  content_ = nullptr;
  if (w != nullptr) {
    w->hide();
    w->setParent(nullptr);
  }
  return w;
}

void SkinVideoSlot::resizeEvent(QResizeEvent*) {
  if (content_) content_->setGeometry(rect());
}

}  // namespace tembra
