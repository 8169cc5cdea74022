#pragma once
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "mainwnd/PositionBar.h"

namespace tembra {

// The strip over the bottom of the video: pause / play, what plays from
// the archive (its title), a bar across the programme or across what the
// live buffer holds (a click seeks), the time, how far behind live the
// picture is, the "Live" button, and the recording button with the
// recording's size. It only shows and reports; PlaybackTransport decides.
class TransportBar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 34;

  struct View {
    bool paused = false;
    bool archive = false;     // playing a past programme
    QString title;            // the programme's, for the archive
    double position = 0;      // seconds from the bar's left end
    double length = 0;        // seconds the bar spans; 0: no bar
    double behindLive = 0;    // seconds; shown from kBehindShownFrom
    bool liveOffered = false; // the "Live" button
    bool recording = false;
    QString recordingText;    // "REC 12.3 MB"
    QString note;             // a passing word ("Recorded to ...")
    bool operator==(const View&) const = default;
  };
  static constexpr double kBehindShownFrom = 2.0;

  explicit TransportBar(QWidget* parent = nullptr);

  void setView(const View& view);
  const View& view() const { return view_; }

  // "mm:ss", or "h:mm:ss" from an hour on.
  static QString clock(double seconds);
  // "Behind live by mm:ss"; empty below kBehindShownFrom.
  static QString behindText(double seconds);

  QPushButton* pauseButton() const { return pause_; }
  QPushButton* liveButton() const { return live_; }
  QPushButton* recordButton() const { return record_; }
  QLabel* behindLabel() const { return behind_; }
  QLabel* titleLabel() const { return title_; }
  QLabel* timeLabel() const { return time_; }
  QLabel* recordingLabel() const { return recordingInfo_; }
  PositionBar* positionBar() const { return bar_; }

 signals:
  void pauseClicked();
  void liveClicked();
  void recordClicked();
  // A click on the bar: the share of its length from the left (0..1).
  void seekRequested(double fraction);

 private:
  View view_;
  QPushButton* pause_;
  QLabel* title_;
  PositionBar* bar_;
  QLabel* time_;
  QLabel* behind_;
  QPushButton* live_;
  QPushButton* record_;
  QLabel* recordingInfo_;
};

}  // namespace tembra
