#pragma once
// The base of every skinned top-level window (the main window, the tray
// menu, the dialogs): a frameless QWidget whose controls come from a
// layout file of the skin folder.
//
//   CWindowWnd::setResourcePath(exeDir + "skin/Default/");
//   class MyWnd : public CWindowWnd, public INotifyUI { ... };
//   if (!wnd.loadLayout("MainUI.xml")) { show wnd.problems(); fail; }
//   wnd.addNotifier(&wnd);   // "windowinit" follows on the next event-loop turn
//   auto* list = wnd.findList("channellist");
//
// Moving and resizing: a left press is classified by hitTest() (the rule
// of skinHitTest: size box, then caption area on controls whose class is
// not in notCaptionClasses()); edges start a system resize, a drag on the
// caption a system move, a double click on the caption calls
// onCaptionDoubleClick(). A non-zero round corner masks the window to a
// rounded rectangle.
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "skin/INotifyUI.h"
#include "skin/SkinHitTest.h"
#include "skin/SkinLayout.h"

class QEventLoop;
class QTimer;

namespace tembra {

class CListUI;
class COptionUI;
class CTabLayoutUI;
class SkinButton;
class SkinCombo;
class SkinContainer;
class SkinContext;
class SkinControl;
class SkinLabel;
class SkinVideoSlot;
class SkinWebBrowser;

class CWindowWnd : public QWidget {
  Q_OBJECT

 public:
  // flags: Qt::Window (default), Qt::Popup, Qt::Tool, Qt::Dialog...;
  // frameless is always added.
  explicit CWindowWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
  ~CWindowWnd() override;

  // The skin folder every layout and image is read from; a slash is added
  // when the path ends in none.
  static void setResourcePath(const QString& folder);
  static QString resourcePath();

  // Builds the control tree from a layout file of the skin folder,
  // replacing any tree built before. False when the file is missing,
  // ill-formed or has no <Window> root; problems() says why.
  bool loadLayout(const QString& fileName);
  // Everything reported while loading and since (missing images included).
  std::vector<SkinProblem> problems() const;
  bool hasLayout() const { return root_ != nullptr; }

  void addNotifier(INotifyUI* notifier);
  void removeNotifier(INotifyUI* notifier);

  // Controls by name (null when absent or of another kind).
  SkinControl* findControl(const QString& name) const;
  template <typename T>
  T* find(const QString& name) const {
    return qobject_cast<T*>(findControl(name));
  }
  CListUI* findList(const QString& name) const;
  SkinCombo* findCombo(const QString& name) const;
  COptionUI* findOption(const QString& name) const;
  SkinButton* findButton(const QString& name) const;
  SkinLabel* findText(const QString& name) const;  // Text and Label controls
  CTabLayoutUI* findTabLayout(const QString& name) const;
  SkinWebBrowser* findWebBrowser(const QString& name) const;
  SkinVideoSlot* findVideoSlot(const QString& name) const;
  // The deepest control at a client point, or null.
  SkinControl* controlAt(const QPoint& clientPoint) const;
  SkinContainer* rootControl() const { return root_; }

  // Window properties from the layout's <Window>.
  QSize roundCorner() const { return roundCorner_; }
  SkinRect sizeBox() const { return sizeBox_; }
  SkinRect captionArea() const { return caption_; }
  QSize initialSize() const { return initialSize_; }
  QSize clientSize() const { return size(); }

  // Timers by id: (re)starts the timer; onTimer(id) runs at each period.
  void setTimer(int id, int milliseconds);
  void stopTimer(int id);
  bool isTimerActive(int id) const;

  // The hit-test rule applied to this window at a client point.
  SkinHit hitTest(const QPoint& clientPoint) const;

  // Places the window centred over owner (or the screen when null).
  void centreOver(const QWidget* owner);
  // Shows the window application-modal and returns when it is closed or
  // hidden, with the value given to endModal (0 by default).
  int runModal();
  void endModal(int result);

 protected:
  virtual void onTimer(int id);
  // Classes that stay clickable in the caption area.
  virtual const std::vector<std::u16string_view>& notCaptionClasses() const;
  // Whether the size box resizes this window (a popup menu or a dialog says no).
  virtual bool isResizable() const;
  // Default: maximise, or restore when maximised.
  virtual void onCaptionDoubleClick();

  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void hideEvent(QHideEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void deliver(const SkinNotification& msg);
  void applyMask();
  bool handleMouse(QWidget* w, QEvent* e);

  SkinContext* ctx_ = nullptr;
  SkinContainer* root_ = nullptr;
  std::vector<SkinProblem> loadProblems_;
  std::vector<INotifyUI*> notifiers_;
  QHash<int, QTimer*> timers_;
  QSize roundCorner_;
  SkinRect sizeBox_;
  SkinRect caption_;
  QSize initialSize_;
  QEventLoop* modalLoop_ = nullptr;
  int modalResult_ = 0;
  // Mouse gesture in progress on the caption or an edge.
  bool dragPending_ = false;
  bool manualMove_ = false;
  SkinHit manualResize_ = SkinHit::Client;
  QPoint pressGlobal_;
  QRect pressGeometry_;
  bool edgeCursor_ = false;
};

}  // namespace tembra
