// A web page through the program's web library (opened from beside the
// test program, as the program opens it from beside itself): loading a
// file and a text, the address it reports, and the engine's view filling
// the widget.
#include "web/WebView.h"

#include <gtest/gtest.h>

#include <fstream>

#include "EventSpin.h"
#include "TempDir.h"
#include "web/WebEngineLibrary.h"

namespace tembra {
namespace {

TEST(WebView, LoadsAFileAndATextAndSaysWhereItIs) {
  ASSERT_NE(WebEngineLibrary::entry(), nullptr) << WebEngineLibrary::error().toStdString();
  test::TempDir dir("webview");
  const std::string page = dir.file("page.html");
  std::ofstream(page) << "<!DOCTYPE html><html><body style='background:#203040'>page</body></html>";

  WebView view(nullptr, QColor(0x10, 0x13, 0x18));
  ASSERT_NE(view.engine(), nullptr);
  view.resize(320, 200);
  view.show();
  EXPECT_EQ(view.engine()->size(), view.size()) << "the engine's view fills the widget";
  view.resize(400, 250);
  EXPECT_TRUE(test::spinUntil([&] { return view.engine()->size() == QSize(400, 250); }, 2000))
      << view.engine()->width() << "x" << view.engine()->height();

  std::vector<bool> results;
  QObject::connect(&view, &WebView::loadFinished, [&](bool ok) { results.push_back(ok); });
  const QUrl address = QUrl::fromLocalFile(QString::fromStdString(page));
  view.load(address);
  ASSERT_TRUE(test::spinUntil([&] { return !results.empty(); }, 60000)) << "the page never finished loading";
  EXPECT_TRUE(results.back());
  EXPECT_EQ(view.url(), address);

  view.setHtml(QStringLiteral("<html><body>text</body></html>"));
  ASSERT_TRUE(test::spinUntil([&] { return results.size() >= 2; }, 60000));
  EXPECT_TRUE(results.back());

  view.setContextMenuPolicy(Qt::NoContextMenu);
  EXPECT_EQ(view.engine()->contextMenuPolicy(), Qt::NoContextMenu) << "the engine's view takes the clicks";
}

}  // namespace
}  // namespace tembra
