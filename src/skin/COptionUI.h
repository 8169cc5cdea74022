#pragma once
#include "skin/SkinButton.h"

namespace tembra {

// A button with a selected state. Options sharing a group (in one window)
// are exclusive: selecting one deselects the others. A click selects an
// option of a group (and toggles one without a group) and sends
// "selectchanged" for the clicked option when its state changed; the
// options deselected on the way send nothing, so one click is one
// notification.
class COptionUI : public SkinButton {
  Q_OBJECT

 public:
  COptionUI(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  bool isSelected() const { return selected_; }
  // Sets the state; with notify, sends "selectchanged" when it changed.
  void setSelected(bool selected, bool notify = false);
  QString group() const { return group_; }
  void activate() override;

 protected:
  QString stateImage() const override;
  QColor currentBkColor() const override;
  QColor stateTextColor() const override;

 private:
  QString group_;
  QString selectedImage_, selectedHotImage_;
  QColor selectedBk_, selectedText_;
  bool selected_ = false;
};

}  // namespace tembra
