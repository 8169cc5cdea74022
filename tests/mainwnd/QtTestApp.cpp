#include "mainwnd/QtTestApp.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // A screen larger than the main window's minimum size, without window
    // frames, so that maximising and centring work as on a desktop.
    // Written aside and renamed: test programs run in parallel.
    const std::string config = "/tmp/tembra-mainwnd-offscreen-" + std::to_string(::getuid()) + ".json";
    const std::string aside = config + "." + std::to_string(::getpid());
    std::ofstream(aside) << R"({"windowFrameMargins": false, "screens": [{"name": "screen", "x": 0, "y": 0,
        "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBpi": 96, "dpr": 1}]})";
    std::rename(aside.c_str(), config.c_str());
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 0);
    // The ad pane's web view may start in any window test, as in the program.
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "mainwnd_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* registered =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace

