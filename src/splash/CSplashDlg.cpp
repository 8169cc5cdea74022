#include "splash/CSplashDlg.h"

#include <QGuiApplication>
#include <algorithm>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <QScreen>

#include "splash/CPictureEx.h"

namespace tembra {
namespace {

// The splash layout: a 201 x 106 box with the loading picture's corner at
// (11, 78).
constexpr int kLayoutWidth = 201;
constexpr int kLayoutHeight = 106;
constexpr int kPictureLeft = 11;
constexpr int kPictureTop = 78;

const QColor kWindowColour(0x10, 0x13, 0x18);

QString withSlash(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith(u'/')) {
    folder += u'/';
  }
  return folder;
}

}  // namespace

CSplashDlg::CSplashDlg(const QString& skinFolder, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      folder_(withSlash(skinFolder)),
      picture_(new CPictureEx(this)) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kWindowColour);
  setPalette(colours);
  // Whatever a frame's disposal uncovers shows the background picture.
  picture_->setBackgroundColor(Qt::transparent);
  resize(kPlainSize);
}

CSplashDlg::~CSplashDlg() { picture_->halt(); }

QPoint CSplashDlg::pictureOrigin(QSize background) {
  return {background.width() * kPictureLeft / kLayoutWidth, background.height() * kPictureTop / kLayoutHeight};
}

// Each corner is cut along an ellipse inscribed in an ellipseWidth x
// ellipseHeight box of pixels, as a pixel-grid rounded rectangle is.
QRegion CSplashDlg::roundedRegion(QSize window, int ellipseWidth, int ellipseHeight) {
  const int width = window.width() - 1;
  const int height = window.height() - 1;
  if (width <= 0 || height <= 0) {
    return {};
  }
  const double rx = std::max(0, std::min(ellipseWidth, width) - 1) / 2.0;
  const double ry = std::max(0, std::min(ellipseHeight, height) - 1) / 2.0;
  const int cornerRows = static_cast<int>(ry);
  QRegion region(0, cornerRows, width, height - 2 * cornerRows);
  for (int y = 0; y < cornerRows; ++y) {
    int inset = 0;
    const double dy = (y - ry) / ry;
    while (inset < rx) {
      const double dx = (inset - rx) / rx;
      if (dx * dx + dy * dy <= 1.0) {
        break;
      }
      ++inset;
    }
    region += QRect(inset, y, width - 2 * inset, 1);
    region += QRect(inset, height - 1 - y, width - 2 * inset, 1);
  }
  return region;
}

bool CSplashDlg::start() {
  const bool loaded = background_.load(folder_ + kBackgroundFile);
  if (loaded) {
    resize(background_.size() + QSize(1, 1));
  }
  centreOnScreen();
  show();
  if (!loaded) {
    return false;
  }
  picture_->move(pictureOrigin(background_.size()));
  if (picture_->openFile(folder_ + kLoadingFile)) {
    picture_->play();
  }
  return true;
}

void CSplashDlg::finish() {
  picture_->halt();
  hide();
}

void CSplashDlg::centreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  const QRect area = screen->availableGeometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void CSplashDlg::paintEvent(QPaintEvent*) {
  if (background_.isNull()) {
    return;
  }
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), background_);
}

void CSplashDlg::resizeEvent(QResizeEvent* event) {
  setMask(roundedRegion(event->size(), 5, 5));
  QWidget::resizeEvent(event);
}

}  // namespace tembra
