// The program's web library: the web engine behind the entry points that
// web/WebEngineEntry.h names.
#include "web/WebEngineEntry.h"

#include <QMetaObject>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#define TEMBRA_WEB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
QWebEngineView* engineView(QWidget* view) { return static_cast<QWebEngineView*>(view); }
}  // namespace

TEMBRA_WEB_EXPORT QWidget* tembra_web_create(QWidget* parent, QRgb background, QObject* listener) {
  auto* view = new QWebEngineView(parent);
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
