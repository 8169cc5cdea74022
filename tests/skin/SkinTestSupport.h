#pragma once
// A skin folder of its own for each test, and a window built from it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "skin/CWindowWnd.h"
#include "skin/INotifyUI.h"

namespace tembra::test {

class SkinFolder {
 public:
  SkinFolder() : dir_("skin-test") {}
  const std::string& path() const { return dir_.path(); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_.file(name), std::ios::binary) << bytes;
  }
  // A solid image of one colour.
  void writeImage(const std::string& name, int w, int h, QRgb color) const {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(color);
    img.save(QString::fromStdString(dir_.file(name)));
  }
  // A window built from `xml` written as Test.xml (ASSERT on the result).
  std::unique_ptr<CWindowWnd> window(const std::string& xml, const std::string& name = "Test.xml") const {
    write(name, xml);
    CWindowWnd::setResourcePath(QString::fromStdString(path()));
    auto w = std::make_unique<CWindowWnd>();
    if (!w->loadLayout(QString::fromStdString(name))) return nullptr;
    return w;
  }

 private:
  TempDir dir_;
};

// Records every notification.
class RecordingNotifier : public INotifyUI {
 public:
  void notify(const SkinNotification& msg) override { seen.push_back(msg); }
  std::vector<SkinNotification> of(const QString& type) const {
    std::vector<SkinNotification> out;
    for (const auto& m : seen) {
      if (m.type == type) out.push_back(m);
    }
    return out;
  }
  std::vector<SkinNotification> seen;
};

// Runs the event loop until pred holds or ms pass.
template <typename Pred>
bool waitFor(Pred pred, int ms = 3000) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace tembra::test
