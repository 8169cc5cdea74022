#include "mainwnd/ChannelKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "mainwnd/ScreenSaverRule.h"
#include "mainwnd/TembraPlayerWnd.h"
#include "mainwnd/WindowActions.h"
#include "player/PlayerHost.h"
#include "player/PlayerView.h"
#include "skin/CListUI.h"

namespace tembra {

ChannelKeys::Action ChannelKeys::Route(int key, Qt::KeyboardModifiers modifiers, Focus focus) {
  // The keypad's Page keys carry the keypad flag; it changes nothing here.
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  switch (key) {
    // A remote's channel keys have no meaning in any control.
    case Qt::Key_ChannelUp:
      return mods == Qt::NoModifier ? Action::PreviousChannel : Action::None;
    case Qt::Key_ChannelDown:
      return mods == Qt::NoModifier ? Action::NextChannel : Action::None;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (mods != Qt::NoModifier || focus != Focus::Elsewhere) return Action::None;
      return key == Qt::Key_PageUp ? Action::PreviousChannel : Action::NextChannel;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (mods != Qt::ControlModifier || focus == Focus::TextField) return Action::None;
      return key == Qt::Key_Up ? Action::SelectPrevious : Action::SelectNext;
    default:
      return Action::None;
  }
}

ChannelKeys::Focus ChannelKeys::FocusOf(const QWidget* widget) {
  if (widget == nullptr) return Focus::Elsewhere;
  if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
      qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget))
    return Focus::TextField;
  if (const auto* combo = qobject_cast<const QComboBox*>(widget); combo != nullptr && combo->isEditable())
    return Focus::TextField;
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget())
    if (w->inherits("tembra::GuideGridWidget")) return Focus::GuideGrid;
  return Focus::Elsewhere;
}

ChannelKeys::ChannelKeys(TembraPlayerWnd& window) : QObject(&window), window_(window) {
  qApp->installEventFilter(this);
}

ChannelKeys::~ChannelKeys() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

// The main window's own widgets and the video's full-screen window; not
// dialogs or menus of their own.
bool ChannelKeys::inScope(const QWidget* widget) const {
  if (widget == nullptr) return false;
  const QWidget* top = widget->window();
  if (top == &window_) return true;
  PlayerHost* host = window_.started() ? window_.player() : nullptr;
  PlayerControl* control = host != nullptr ? host->control() : nullptr;
  auto* view = control != nullptr ? qobject_cast<PlayerView*>(control->widget()) : nullptr;
  return view != nullptr && view->fullScreen() && top == view->stage();
}

bool ChannelKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || window_.closing()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  auto* key = static_cast<QKeyEvent*>(event);
  // A key a text field leaves alone goes on to its parents; it is still
  // the text field's key.
  Focus focus = FocusOf(widget);
  if (focus != Focus::TextField) {
    const Focus held = FocusOf(QApplication::focusWidget());
    if (held != Focus::Elsewhere) focus = held;
  }
  const Action action = Route(key->key(), key->modifiers(), focus);
  if (action == Action::None || !inScope(widget)) return false;
  switch (action) {
    case Action::PreviousChannel:
      window_.actions().PlayNeighbour(-1);
      window_.screenSaver().refresh();
      break;
    case Action::NextChannel:
      window_.actions().PlayNeighbour(+1);
      window_.screenSaver().refresh();
      break;
    case Action::SelectPrevious: moveSelection(-1); break;
    case Action::SelectNext: moveSelection(+1); break;
    case Action::None: break;
  }
  return true;
}

// Like Up / Down in the list, from wherever the focus is: the row next to
// the selected one (the playing one when none is), kept in sight; the
// channel playing stays.
void ChannelKeys::moveSelection(int step) {
  CListUI* list = window_.findList(QStringLiteral("channellist"));
  if (list == nullptr || list->count() == 0) return;
  int from = list->selectedIndex();
  if (from < 0) from = window_.state().channelListMark;
  const int target = from < 0 ? (step > 0 ? 0 : list->count() - 1) : std::clamp(from + step, 0, list->count() - 1);
  list->select(target);
}

}  // namespace tembra
