#pragma once
// The start-up splash: a small frameless window with a background picture
// and an animated "loading" GIF, shown centred while the main window signs in
// and loads the catalogue; a splash-type window, so no taskbar entry. It
// lives on the GUI thread and keeps animating as long as that thread runs an
// event loop (the start-up work runs on a worker while the GUI thread waits
// in a local QEventLoop): the animation draws on a thread of its own and only
// the repaint needs the GUI thread.
//
//   auto splash = std::make_unique<CSplashDlg>(QString::fromStdString(ModulePath::folder()) + "skin/Default/");
//   splash->start();        // loads, sizes, centres, shows, animates
//   ... start-up sequence ...
//   splash->finish();       // or destroy it: stops the animation, hides
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QWidget>

namespace tembra {

class CPictureEx;

class CSplashDlg : public QWidget {
  Q_OBJECT

 public:
  static inline const char kBackgroundFile[] = "frame_splash_bk.bmp";
  static inline const char kLoadingFile[] = "frame_splash_loading.gif";
  // The window's size when there is no background to size it by.
  static constexpr QSize kPlainSize{302, 172};

  // skinFolder holds the two pictures; a trailing '/' is optional.
  explicit CSplashDlg(const QString& skinFolder, QWidget* parent = nullptr);
  // Stops the animation.
  ~CSplashDlg() override;

  // Shows the splash, centred on the primary screen. With its background it
  // takes the background's size plus one pixel each way and plays the
  // loading GIF over it; without it (missing or unreadable) it shows plain,
  // without animation. False when the background could not be loaded.
  bool start();
  // Stops the animation and hides the window; it is not shown again.
  void finish();

  // The loading picture (for its state; the splash drives it).
  CPictureEx* picture() const { return picture_; }
  bool hasBackground() const { return !background_.isNull(); }

  // Top-left corner of the loading picture for a background of the given
  // size: the place the splash layout gives it, in the same proportions.
  static QPoint pictureOrigin(QSize background);
  // The visible shape of a window of the given size: its rectangle less its
  // last column and row, with corners cut along ellipses of the given size.
  static QRegion roundedRegion(QSize window, int ellipseWidth, int ellipseHeight);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void centreOnScreen();

  QString folder_;
  QImage background_;
  CPictureEx* picture_;
};

}  // namespace tembra
