#pragma once
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QKeyEvent;

namespace tembra {

class CListUI;
class DigitsOverlay;
class SkinEdit;
class TembraPlayerWnd;

// How a viewer finds a channel without scrolling, over the main window:
// the search field over "channellist" (Ctrl+F, or a letter typed over the
// list or the video, starts it; Enter plays the first match, Esc gives the
// group's list back), channel numbers typed over the video or the list
// (shown in a small box; played 1.5 s after the last digit, or at Enter),
// F on a row and the rows' context menu (play, favourites and their order,
// the channel's guide, its stream address to the clipboard).
//
// It watches the list, the field and the window itself (keys nobody took,
// from the video or any control, rise to the window), so the window only
// makes it.
class ChannelFinder : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDigitWaitMs = 1500;
  static constexpr int kNoticeMs = 1500;
  static constexpr int kMaxDigits = 6;

  // After the window's layout is loaded; a child of the window.
  explicit ChannelFinder(TembraPlayerWnd& window);

  const QString& typedDigits() const { return digits_; }
  DigitsOverlay* overlay() const { return overlay_; }
  // The open context menu, null when none.
  QMenu* menu() const { return menu_; }
  // The row's menu at a point of the screen.
  void openMenu(int row, const QPoint& global);
  // Plays the number typed so far (what the wait's end does).
  void commitDigits();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool windowKey(QKeyEvent* e);
  bool listKey(QKeyEvent* e);
  bool fieldKey(QKeyEvent* e);
  void focusSearch(const QString& typed);
  void leaveSearch(bool clear);
  bool addDigit(QKeyEvent* e);
  void cancelDigits();
  void showOverlay(const QString& text, bool problem);
  void showGuide(int row);
  QRect videoArea() const;

  TembraPlayerWnd& w_;
  QPointer<SkinEdit> field_;
  QPointer<CListUI> list_;
  DigitsOverlay* overlay_;  // child of the window
  QPointer<QMenu> menu_;
  // GUI thread only, like everything here.
  QString digits_;
  QTimer digitTimer_;
  QTimer noticeTimer_;
};

}  // namespace tembra
