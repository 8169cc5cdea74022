#pragma once
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>
#include <vector>

#include "guidegrid/GuideGridView.h"
#include "source/ChannelSource.h"

namespace tembra {

class TembraPlayerWnd;

// The guide grid in the main window: it takes the video area while open,
// the video going on in a small picture at the corner of its details strip,
// shows the channels of the group on show in the channel list, plays a
// channel as a double click in that list would, and tells due reminders
// through the tray balloon (or, with no tray, over the window).
class GuideGridHost : public QObject {
  Q_OBJECT

 public:
  explicit GuideGridHost(TembraPlayerWnd& window);
  ~GuideGridHost() override;

  bool isOpen() const;
  void toggle();
  void open();
  void close();
  // A guide download ended.
  void guideChanged();
  // The channel list shows another group.
  void channelsChanged();
  // The player's picture goes to the grid's corner (the player may be made
  // while the grid is open).
  void placeVideo();
  // Made when first opened; null before.
  GuideGridView* view() const { return view_; }
  QLabel* toast() const { return toast_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<SourceChannelRef> channelsOnShow() const;
  QWidget* area() const;
  QWidget* video() const;
  void play(const std::u16string& channelId);
  bool playPast(const std::u16string& channelId);
  void remind(const QString& text);

  TembraPlayerWnd& w_;
  QPointer<GuideGridView> view_;  // child of the video area
  QPointer<QLabel> toast_;        // child of the window
  QTimer toastTimer_;
};

}  // namespace tembra
