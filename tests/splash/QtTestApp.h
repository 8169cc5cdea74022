#pragma once
// The one QApplication of a test process, made on first use: offscreen
// unless the environment already names a platform (the X server test runs
// its child under xcb). Never destroyed, so no widget outlives it.
#include <QApplication>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <vector>

namespace tembra::test {

inline QApplication& qtApp() {
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "splash_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

inline QByteArray toByteArray(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// 0xAARRGGBB of a pixel, unpremultiplied.
inline uint32_t pixelAt(const QImage& image, int x, int y) {
  return image.convertToFormat(QImage::Format_ARGB32).pixel(x, y);
}

}  // namespace tembra::test
