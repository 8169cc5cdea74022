#include "web/WebView.h"

#include <QPalette>
#include <QTimer>

#include "web/WebEngineLibrary.h"

namespace tembra {

WebView::WebView(QWidget* parent, const QColor& background) : QWidget(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, background);
  setPalette(colours);
  setAutoFillBackground(true);
  if (const WebEngineLibrary::Entry* entry = WebEngineLibrary::entry()) {
    engine_ = entry->create(this, background.rgb(), this);
    engine_->setGeometry(rect());
  } else {
    qWarning("web pages cannot be shown: %s", qPrintable(WebEngineLibrary::error()));
  }
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

void WebView::resizeEvent(QResizeEvent*) {
  if (engine_ != nullptr) engine_->setGeometry(rect());
}

}  // namespace tembra
