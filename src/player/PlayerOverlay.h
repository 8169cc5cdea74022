#pragma once
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace tembra {

// What the player draws over the video: the channel name for a few seconds
// after a switch, a buffering indicator, an error text, and the volume for
// a moment after it changes or the mouse moves. Transparent to the mouse,
// so clicks and the wheel reach the video below.
class PlayerOverlay : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kChannelNameMs = 4000;
  static constexpr int kVolumeMs = 2500;

  explicit PlayerOverlay(QWidget* parent = nullptr);

  void showChannelName(const QString& name);
  void hideChannelName();
  void setBuffering(bool buffering, int percent);
  void setError(const QString& text);
  void showVolume(int volume, bool muted);

  const QString& channelName() const { return channelName_; }
  bool channelNameVisible() const { return nameVisible_; }
  bool buffering() const { return buffering_; }
  const QString& error() const { return error_; }
  bool volumeVisible() const { return volumeVisible_; }
  // Where the error text's panel is drawn; empty without an error.
  QRectF errorBox() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void paintChannelName(class QPainter& p);
  void paintBuffering(QPainter& p);
  void paintError(QPainter& p);
  void paintVolume(QPainter& p);

  QString channelName_;
  bool nameVisible_ = false;
  bool buffering_ = false;
  int bufferPercent_ = 0;
  int spinnerAngle_ = 0;
  QString error_;
  int volume_ = 0;
  bool muted_ = false;
  bool volumeVisible_ = false;
  QTimer nameTimer_;
  QTimer volumeTimer_;
  QTimer spinTimer_;
};

}  // namespace tembra
