#include "skin/COptionUI.h"

#include "skin/SkinContext.h"

namespace tembra {

COptionUI::COptionUI(const SkinNode& node, SkinContext& ctx, QWidget* parent) : SkinButton(node, ctx, parent) {
  group_ = QString::fromStdU16String(node.text(u"group"));
  selectedImage_ = QString::fromStdU16String(node.text(u"selectedimage"));
  selectedHotImage_ = QString::fromStdU16String(node.text(u"selectedhotimage"));
  selectedBk_ = nodeColor(node, u"selectedbkcolor");
  selectedText_ = nodeColor(node, u"selectedtextcolor");
  selected_ = node.flag(u"selected");
}

void COptionUI::setSelected(bool selected, bool notify) {
  if (selected == selected_) return;
  selected_ = selected;
  if (selected_ && !group_.isEmpty()) {
    for (SkinControl* c : ctx_.controls()) {
      auto* o = qobject_cast<COptionUI*>(c);
      if (o != nullptr && o != this && o->group_ == group_ && o->selected_) {
        o->selected_ = false;
        o->update();
      }
    }
  }
  update();
  if (notify) SkinControl::notify(QStringLiteral("selectchanged"));
}

void COptionUI::activate() {
  if (group_.isEmpty()) setSelected(!selected_, true);
  else setSelected(true, true);
}

QString COptionUI::stateImage() const {
  if (selected_) {
    if ((hot_ || pushed_) && !selectedHotImage_.isEmpty()) return selectedHotImage_;
    if (!selectedImage_.isEmpty()) return selectedImage_;
  }
  return SkinButton::stateImage();
}

QColor COptionUI::currentBkColor() const {
  if (selected_ && selectedBk_.isValid()) return selectedBk_;
  return SkinButton::currentBkColor();
}

QColor COptionUI::stateTextColor() const {
  if (selected_ && selectedText_.isValid() && isEnabled()) return selectedText_;
  return SkinButton::stateTextColor();
}

}  // namespace tembra
