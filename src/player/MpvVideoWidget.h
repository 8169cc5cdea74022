#pragma once
#include <QOpenGLWidget>
#include <array>

struct mpv_render_context;

namespace tembra {

class MpvSession;

// Draws the active session's video with mpv's OpenGL render API. The player
// switches channels between two sessions, so this holds a render context
// for each and draws the one set active. It only renders: the sessions own
// their handles. mpv's update callbacks only post here.
class MpvVideoWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  static constexpr int kSessions = 2;

  MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent = nullptr);
  ~MpvVideoWidget() override;

  void setActive(int index);
  int active() const { return active_; }
  bool rendering() const { return slots_[active_].render != nullptr; }
  // Frames drawn since the widget was created (the screenshot test waits
  // for some before it grabs).
  int framesDrawn() const { return framesDrawn_; }

 protected:
  void initializeGL() override;
  void paintGL() override;

 private slots:
  void onMpvUpdate(int index);
  void freeAll();

 private:
  struct Slot {
    MpvSession* session = nullptr;
    mpv_render_context* render = nullptr;
    MpvVideoWidget* widget = nullptr;
    int index = 0;
  };
  static void updateCallback(void* context);
  void createRenderContexts();
  void freeRenderContext(Slot& slot);
  void drawInactive(int index);

  std::array<Slot, kSessions> slots_;
  int active_ = 0;
  int framesDrawn_ = 0;
};

}  // namespace tembra
