#pragma once
#include <QOpenGLWidget>

struct mpv_render_context;

namespace tembra {

class MpvSession;

// Draws the session's video with mpv's OpenGL render API. It only renders:
// the session owns the handle. mpv's update callback only posts here.
class MpvVideoWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  MpvVideoWidget(MpvSession* session, QWidget* parent = nullptr);
  ~MpvVideoWidget() override;

  bool rendering() const { return render_ != nullptr; }
  // Frames drawn since the widget was created (the screenshot test waits
  // for some before it grabs).
  int framesDrawn() const { return framesDrawn_; }

 protected:
  void initializeGL() override;
  void paintGL() override;

 private slots:
  void onMpvUpdate();
  void onSessionClosing();

 private:
  static void updateCallback(void* context);
  void createRenderContext();
  void freeRenderContext();

  MpvSession* session_;
  mpv_render_context* render_ = nullptr;
  int framesDrawn_ = 0;
};

}  // namespace tembra
