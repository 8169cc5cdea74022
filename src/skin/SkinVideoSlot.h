#pragma once
#include <QPointer>

#include "skin/SkinControl.h"

namespace tembra {

// The place of the player's video: a widget made elsewhere (the player)
// is placed in it and kept filling it. The slot does not own what it
// shows beyond Qt's parent ownership; take it back with takeContent().
class SkinVideoSlot : public SkinControl {
  Q_OBJECT

 public:
  SkinVideoSlot(const SkinNode& node, SkinContext& ctx, QWidget* parent) : SkinControl(node, ctx, parent) {}

  void setContent(QWidget* widget);
  QWidget* content() const { return content_; }
  // Detaches the content (parentless, hidden) and returns it.
  QWidget* takeContent();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  QPointer<QWidget> content_;
};

}  // namespace tembra
