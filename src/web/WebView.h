#pragma once
#include <QColor>
#include <QUrl>
#include <QWidget>

namespace tembra {

// A web page: the web engine's view (from the program's web library, see
// WebEngineLibrary) filling this widget. The engine starts with the first
// view the program makes. Where the library cannot be opened, the view
// shows its background colour and every load finishes as failed.
//
// The engine's view is a window of its own, embedded here: as a child
// widget it would make Qt compose the whole window it sits in through
// OpenGL at every paint (in software, 20 ms for a full-screen window, even
// when only a label changed), where the window's own pixels otherwise go
// to the screen as they are.
class WebView : public QWidget {
  Q_OBJECT

 public:
  // How often a page that waits for an open menu to close looks again.
  static constexpr int kPopupRetryMs = 200;

  explicit WebView(QWidget* parent = nullptr, const QColor& background = QColor(Qt::white));
  ~WebView() override;

  void load(const QUrl& url);
  void setHtml(const QString& html);
  QUrl url() const;
  // The engine's view; null without the web library.
  QWidget* engine() const { return engine_; }
  // For the engine's view too (it takes the mouse and the keys).
  void setContextMenuPolicy(Qt::ContextMenuPolicy policy);
  void setFocusPolicy(Qt::FocusPolicy policy);

 signals:
  void loadFinished(bool ok);

 protected:
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  // Whether the platform can embed one window in another.
  static bool canEmbed();
  // Shows the engine's embedded window where the container is.
  void placeEngine();
  // The child that fills this widget: the container, else the engine's
  // view (null without the web library).
  QWidget* filling() const { return container_ != nullptr ? container_ : engine_; }

  QWidget* engine_ = nullptr;     // owned when a window of its own
  QWidget* container_ = nullptr;  // embeds the engine's window here
  QUrl url_;  // asked for, where no engine can load it
};

}  // namespace tembra
