#pragma once
#include <QColor>
#include <QUrl>
#include <QWidget>

namespace tembra {

// A web page: the web engine's view (from the program's web library, see
// WebEngineLibrary) filling this widget. The engine starts with the first
// view the program makes. Where the library cannot be opened, the view
// shows its background colour and every load finishes as failed.
class WebView : public QWidget {
  Q_OBJECT

 public:
  explicit WebView(QWidget* parent = nullptr, const QColor& background = QColor(Qt::white));

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

 private:
  QWidget* engine_ = nullptr;
  QUrl url_;  // asked for, where no engine can load it
};

}  // namespace tembra
