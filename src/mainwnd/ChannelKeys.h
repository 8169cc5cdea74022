#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

namespace tembra {

class TembraPlayerWnd;

// The channel keys over the whole window, whichever control has the focus:
// Page Up / Page Down and a remote's channel keys play the previous / next
// channel of the list, Ctrl+Up / Ctrl+Down move the list's selection
// without playing. A text field keeps Page Up / Page Down and Ctrl+Up /
// Ctrl+Down for itself, and the guide grid its Page Up / Page Down. Also
// in the full-screen video, which is a window of its own. Installed as an
// event filter of the application, so no control's own key handling
// (the lists page with Page Down) comes first.
class ChannelKeys : public QObject {
  Q_OBJECT
 public:
  enum class Action { None, PreviousChannel, NextChannel, SelectPrevious, SelectNext };
  // Where the key goes: the focus in a text field, in the guide grid, or
  // anywhere else.
  enum class Focus { Elsewhere, TextField, GuideGrid };

  // What a key does; the rule, without widgets.
  static Action Route(int key, Qt::KeyboardModifiers modifiers, Focus focus);
  static Focus FocusOf(const QWidget* widget);

  // Filters the application's events from now on, for window's widgets,
  // until it or the window goes.
  explicit ChannelKeys(TembraPlayerWnd& window);
  ~ChannelKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool inScope(const QWidget* widget) const;
  void moveSelection(int step);

  TembraPlayerWnd& window_;
};

}  // namespace tembra
