// The shipped skin: every layout loads cleanly, holds every control the
// program looks up with the kind it expects, and the main window's flow
// puts its controls where the program's own pixel layout would.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "platform/ModulePath.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinControl.h"
#include "skin/SkinRequirements.h"

namespace tembra {
namespace {

QString skinFolder() { return QString::fromStdString(ModulePath::record()) + "skin/Default/"; }

TEST(DefaultSkin, EveryLayoutLoadsWithoutProblemsAndHasWhatTheProgramNeeds) {
  for (const SkinRequiredFile& file : SkinRequirements::files()) {
    SCOPED_TRACE(std::string(file.fileName));
    SkinLayout layout = SkinLayout::loadFile(skinFolder().toStdString(), std::string(file.fileName));
    ASSERT_TRUE(layout.ok());
    for (const SkinProblem& p : layout.problems()) ADD_FAILURE() << p.toString();
    CWindowWnd::setResourcePath(skinFolder());
    CWindowWnd w;
    ASSERT_TRUE(w.loadLayout(QString::fromUtf8(file.fileName.data(), file.fileName.size())));
    for (const SkinRequiredControl& c : file.controls) {
      const QString name = QString::fromUtf16(c.name.data(), c.name.size());
      SkinControl* control = w.findControl(name);
      ASSERT_NE(control, nullptr) << name.toStdString();
      if (!c.kinds.empty()) {
        EXPECT_NE(std::find(c.kinds.begin(), c.kinds.end(), control->kind()), c.kinds.end()) << name.toStdString();
      }
    }
    // Painting the whole window finds every image it names.
    w.grab();
    for (const SkinProblem& p : w.problems()) ADD_FAILURE() << p.toString();
  }
}

// The rectangles of the main window's pixel layout for a client of W x H
// with the panel shown (title 25, border 3, splitter 7, panel 341, ad 85,
// list column 100 with margins of 6).
struct MainRects {
  explicit MainRects(int W, int H) {
    const int T = 25, B = 3, G = 7, M = 6, P = 341, A = 85, L = 100;
    const int e = W - P - B - G, x0 = e + 6, y0 = T + 30, b0 = H - B - A, xL = x0 + L + 2 * M;
    const int mid = (H - B) / 2;
    rects = {
        {"frameWnd", r(0, T, W, H)},
        {"videoslot", r(B, T, e, H - B)},
        {"listcontrol", r(e, T, e + G, H - B)},
        {"hidebtn", r(e, mid, e + 6, mid + 9)},
        {"infolayout", r(x0, T, W - B, H - B)},
        {"channellayout", r(x0, y0, W - B, b0)},
        {"tvlayout", r(x0, y0, W - B, b0)},
        {"listlayout", r(x0, y0, xL, b0)},
        {"channelsearch", r(x0 + M, T + 36, xL - M, T + 60)},
        {"pgupbtn", r(x0 + 45, T + 64, x0 + 60, T + 72)},
        {"channellist", r(x0 + M, T + 76, xL - M, b0 - 14)},
        {"pgdnbtn", r(x0 + 45, b0 - 10, x0 + 60, b0 - 2)},
        {"tvsepline", r(xL, y0 + 1, xL + 1, b0)},
        {"guidetab", r(xL + 1, y0 + 1, W - B, b0)},
        {"tvguidelayout", r(xL + 1, y0 + 1, W - B, b0)},
        {"tvswitch", r(xL + 1, y0 + 76, W - B, b0)},
        {"firstdaylist", r(xL + 1, y0 + 80, W - B, b0)},
        {"playinglist", r(xL + 1, y0 + 5, W - B, b0)},
        {"iewnd", r(x0 + 2, b0, W - B, b0 + A)},
    };
  }
  static QRect r(int l, int t, int rt, int b) { return QRect(QPoint(l, t), QPoint(rt - 1, b - 1)); }
  std::vector<std::pair<QString, QRect>> rects;
};

TEST(DefaultSkin, MainWindowFlowMatchesThePixelLayoutAtAnySize) {
  CWindowWnd::setResourcePath(skinFolder());
  CWindowWnd w;
  ASSERT_TRUE(w.loadLayout("MainUI.xml"));
  w.show();
  for (QSize size : {QSize(936, 529), QSize(1280, 720)}) {
    w.resize(size);
    QCoreApplication::processEvents();
    for (const auto& [name, rect] : MainRects(size.width(), size.height()).rects) {
      SkinControl* c = w.findControl(name);
      ASSERT_NE(c, nullptr) << name.toStdString();
      EXPECT_EQ(c->position(), rect) << name.toStdString() << " at " << size.width() << "x" << size.height();
    }
  }
}

}  // namespace
}  // namespace tembra
