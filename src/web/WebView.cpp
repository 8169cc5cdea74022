#include "web/WebView.h"

#include <QApplication>
#include <QPalette>
#include <QTimer>
#include <QWindow>

#include "web/WebEngineLibrary.h"

namespace tembra {

WebView::WebView(QWidget* parent, const QColor& background) : QWidget(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, background);
  setPalette(colours);
  setAutoFillBackground(true);
  if (const WebEngineLibrary::Entry* entry = WebEngineLibrary::entry()) {
    if (canEmbed()) {
      engine_ = entry->create(nullptr, background.rgb(), this);
      // Embedded, it is no window of the user's: closing the main window
      // must still end the program, and neither its showing nor a click on
      // a page may take the active window from the window around it (its
      // shortcuts work only while it is active, and an open menu closes
      // when another window becomes active).
      engine_->setAttribute(Qt::WA_QuitOnClose, false);
      engine_->setAttribute(Qt::WA_ShowWithoutActivating);
      engine_->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
      engine_->winId();
      container_ = QWidget::createWindowContainer(engine_->windowHandle(), this);
      container_->hide();
    } else {
      engine_ = entry->create(this, background.rgb(), this);
    }
    filling()->setGeometry(rect());
  } else {
    qWarning("web pages cannot be shown: %s", qPrintable(WebEngineLibrary::error()));
  }
}

bool WebView::canEmbed() {
  // Offscreen (tests, grabs) windows cannot nest, and nothing is composed
  // on a screen there anyway.
  const QString platform = QApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

WebView::~WebView() {
  // Before the container: it would otherwise destroy the engine's window
  // under the engine's view.
  delete engine_;
}

void WebView::load(const QUrl& url) {
  url_ = url;
  if (engine_ != nullptr) {
    WebEngineLibrary::entry()->load(engine_, url);
    return;
  }
  QTimer::singleShot(0, this, [this] { emit loadFinished(false); });
}

void WebView::setHtml(const QString& html) {
  if (engine_ != nullptr) {
    WebEngineLibrary::entry()->setHtml(engine_, html);
    return;
  }
  QTimer::singleShot(0, this, [this] { emit loadFinished(false); });
}

QUrl WebView::url() const {
  if (engine_ == nullptr) return url_;
  QUrl url;
  WebEngineLibrary::entry()->url(engine_, &url);
  return url;
}

void WebView::setContextMenuPolicy(Qt::ContextMenuPolicy policy) {
  QWidget::setContextMenuPolicy(policy);
  if (engine_ != nullptr) engine_->setContextMenuPolicy(policy);
}

void WebView::setFocusPolicy(Qt::FocusPolicy policy) {
  QWidget::setFocusPolicy(policy);
  if (engine_ != nullptr) engine_->setFocusPolicy(policy);
}

void WebView::showEvent(QShowEvent*) {
  // A turn later, once the window around has its own native window on the
  // screen: an embedded window shown along with the first show of the
  // window around it stays unmapped for good.
  if (container_ != nullptr) QTimer::singleShot(0, this, [this] { placeEngine(); });
}

void WebView::placeEngine() {
  if (container_ == nullptr || !isVisible()) return;
  if (container_->isHidden()) {
    // Showing a window closes an open menu (the tray's, say): the page
    // waits until it is gone.
    if (QApplication::activePopupWidget() != nullptr) {
      QTimer::singleShot(kPopupRetryMs, this, [this] { placeEngine(); });
      return;
    }
    container_->show();
  }
  // The container passes its size on only when it changes while shown:
  // sized while hidden, the engine's window would keep its old size.
  if (QWidget* native = container_->nativeParentWidget())
    engine_->windowHandle()->setGeometry(QRect(container_->mapTo(native, QPoint(0, 0)), container_->size()));
}

void WebView::resizeEvent(QResizeEvent*) {
  if (QWidget* fill = filling()) fill->setGeometry(rect());
}

}  // namespace tembra
