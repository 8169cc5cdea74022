// The program's web library: the web engine behind the entry points that
// web/WebEngineEntry.h names.
#include "web/WebEngineEntry.h"

#include <QMetaObject>
#include <QOpenGLWidget>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#define TEMBRA_WEB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
QWebEngineView* engineView(QWidget* view) { return static_cast<QWebEngineView*>(view); }
}  // namespace

TEMBRA_WEB_EXPORT QWidget* tembra_web_create(QWidget* parent, QRgb background, QObject* listener) {
  auto* view = new QWebEngineView(parent);
  if (parent == nullptr) {
    // A window of its own: the view draws through OpenGL once its page
    // comes, and Qt then replaces a window made without it by a new one,
    // under whatever embeds the old. A hidden OpenGL child makes it of
    // that kind from the start.
    auto* mark = new QOpenGLWidget(view);
    mark->setGeometry(0, 0, 1, 1);
    mark->hide();
  }
  view->page()->setBackgroundColor(QColor::fromRgb(background));
  if (listener != nullptr) {
    QObject::connect(view, &QWebEngineView::loadFinished, listener, [listener](bool ok) {
      QMetaObject::invokeMethod(listener, "loadFinished", Qt::DirectConnection, Q_ARG(bool, ok));
    });
  }
  return view;
}

// setUrl, not load: the view reports the address asked for at once, not
// only once the page has come.
TEMBRA_WEB_EXPORT void tembra_web_load(QWidget* view, const QUrl& url) { engineView(view)->setUrl(url); }

TEMBRA_WEB_EXPORT void tembra_web_set_html(QWidget* view, const QString& html) { engineView(view)->setHtml(html); }

TEMBRA_WEB_EXPORT void tembra_web_url(const QWidget* view, QUrl* url) {
  *url = static_cast<const QWebEngineView*>(view)->url();
}
