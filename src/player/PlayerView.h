#pragma once
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

class QPushButton;

namespace tembra {

class MpvSession;
class MpvVideoWidget;
class PlayerOverlay;
class WebView;

// The player's child window: the logo page while idle, the video while
// playing, a dark backdrop for messages (with a Retry button under them
// when the player offers one), and the overlay above them all.
// Everything sits on a stage widget. For fullscreen the stage moves up to
// cover the whole window it is in, which then fills the screen, and comes
// back after, so the view keeps its place in the window's slot. It stays in
// the same window on purpose: a window of its own would give the video a
// new drawing context (its renderer and shaders made again) and the idle
// page a new surface, which froze the window for 120-220 ms each time.
class PlayerView : public QWidget {
  Q_OBJECT
 public:
  enum class Mode { Logo, Video, Message };
  static constexpr int kVolumeStep = 5;

  // renderVideo false: no video widget (mpv draws nowhere); logoPage false:
  // the backdrop stands in for the logo page.
  PlayerView(std::array<MpvSession*, 2> sessions, bool renderVideo, bool logoPage, QWidget* parent = nullptr);
  ~PlayerView() override;

  void setLogoPage(const QString& path);
  void setMode(Mode mode);
  Mode mode() const { return mode_; }
  PlayerOverlay* overlay() const { return overlay_; }
  MpvVideoWidget* video() const { return video_; }
  // Null until a turn of the event loop after the view was made.
  WebView* logo() const { return logo_; }
  QWidget* stage() const { return stage_; }
  // Shown under the overlay's message; call after the message changed.
  void setRetryVisible(bool visible);
  QPushButton* retryButton() const { return retry_; }

  bool fullScreen() const { return fullScreen_; }
  void setFullScreen(bool on);

 signals:
  void volumeStepRequested(int delta);
  void muteToggleRequested();
  void activity();
  void retryRequested();
  // A right-click (or the menu key) on the video area, at that place on
  // the screen.
  void menuRequested(const QPoint& globalPos);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void makeLogo();
  void loadLogo();
  void layoutStage();
  void hideCoveredWidgets(QWidget* top);
  void showCoveredWidgets();
  void placeRetry();
  bool handleKey(int key);
  void noteActivity();

  QWidget* stage_;
  QWidget* backdrop_;
  MpvVideoWidget* video_ = nullptr;
  WebView* logo_ = nullptr;
  QString logoPath_;
  bool logoPathSet_ = false;
  PlayerOverlay* overlay_;
  QPushButton* retry_;
  Mode mode_ = Mode::Logo;
  bool fullScreen_ = false;
  // The window's place and state before fullscreen, given back after.
  QRect windowGeometry_;
  Qt::WindowStates windowStates_;
  // The window's other contents, hidden under the full-screen stage: web
  // pages there are windows of their own, which no widget can cover, and
  // the rest would be laid out and painted for nobody.
  std::vector<QPointer<QWidget>> coveredByStage_;
  QTimer cursorTimer_;
};

}  // namespace tembra
