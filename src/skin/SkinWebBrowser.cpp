#include "skin/SkinWebBrowser.h"

#include "web/WebView.h"

namespace tembra {

SkinWebBrowser::SkinWebBrowser(const SkinNode& node, SkinContext& ctx, QWidget* parent)
    : SkinControl(node, ctx, parent) {
  const std::u16string home = node.text(u"homepage");
  if (!home.empty()) homePage_ = QUrl(QString::fromStdU16String(home));
}

WebView* SkinWebBrowser::view() {
  if (view_ == nullptr) {
    view_ = new WebView(this);
    view_->setGeometry(rect());
    view_->show();
  }
  return view_;
}

void SkinWebBrowser::navigate(const QUrl& url) { view()->load(url); }

void SkinWebBrowser::resizeEvent(QResizeEvent*) {
  if (view_ != nullptr) view_->setGeometry(rect());
}

}  // namespace tembra
