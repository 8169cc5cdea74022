#pragma once
#include <QUrl>

#include "skin/SkinControl.h"

namespace tembra {

class WebView;

// A web pane. The browser engine is made on first use (view() or
// navigate()), so a window that never shows a page never starts it.
class SkinWebBrowser : public SkinControl {
  Q_OBJECT

 public:
  SkinWebBrowser(const SkinNode& node, SkinContext& ctx, QWidget* parent);

  bool hasView() const { return view_ != nullptr; }
  WebView* view();
  void navigate(const QUrl& url);
  QUrl homePage() const { return homePage_; }

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  WebView* view_ = nullptr;
  QUrl homePage_;
};

}  // namespace tembra
