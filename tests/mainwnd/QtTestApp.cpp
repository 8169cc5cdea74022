#include "mainwnd/QtTestApp.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
