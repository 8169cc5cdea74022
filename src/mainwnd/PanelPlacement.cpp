#include "mainwnd/PanelPlacement.h"

#include <QWidget>

#include "skin/CWindowWnd.h"
#include "skin/SkinControl.h"

namespace tembra {

PixelRect PanelPlacement::rectOf(const SkinControl* control) {
  return control != nullptr ? toPixel(control->position()) : PixelRect{};
}

void PanelPlacement::place(SkinControl* control, const PixelRect& clientRect) {
  if (control == nullptr) return;
  control->setPosition(toQRect(clientRect));
  control->raise();
}

void PanelPlacement::place(QWidget* widget, const CWindowWnd& skin, const PixelRect& clientRect) {
  if (widget == nullptr) return;
  const QPoint client(clientRect.left, clientRect.top);
  QWidget* parent = widget->parentWidget();
  QPoint at = client;
  if (parent == nullptr) at = skin.mapToGlobal(client);
  else if (parent != &skin) at = skin.isAncestorOf(parent) ? parent->mapFrom(&skin, client)
                                                          : parent->mapFromGlobal(skin.mapToGlobal(client));
  widget->setGeometry(QRect(at, QSize(clientRect.width(), clientRect.height())));
  widget->raise();
}

}  // namespace tembra
