#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "mainwnd/TransportBar.h"
#include "record/RecordingSchedule.h"

class QKeyEvent;

namespace tembra {

class PlayerControl;
class TembraPlayerWnd;

// What the window does with the stream that plays beyond choosing it:
// pausing and seeking a live channel within what the player's buffer
// received, playing a past programme from the channel's archive with a bar
// across the programme, going back to live, and recording what plays to
// the videos folder, now or for a programme of the guide when it airs.
// Its keys (Space, R, Left/Right, Shift+Left/Right) are taken for the
// whole window, except while text is typed or the guide grid is open.
// GUI thread only.
class PlaybackTransport : public QObject {
  Q_OBJECT
 public:
  static constexpr double kStepSeconds = 10;
  static constexpr double kLongStepSeconds = 60;
  static constexpr int kPollMs = 500;
  // The bar stays this long after the mouse moved over the video or a key
  // was used, when nothing else keeps it up.
  static constexpr int kShowMs = 3000;
  static constexpr int kNoteMs = 5000;
  // A recording whose file is not there after this is said to write nothing.
  static constexpr int kNoFileMs = 5000;

  enum class Leave { Switch, Close };

  // scheduleFile empty: RecordingSchedule::defaultPath(); recordingsFolder
  // empty: RecordingName::folder().
  PlaybackTransport(TembraPlayerWnd& window, std::string scheduleFile = {}, std::string recordingsFolder = {});
  ~PlaybackTransport() override;

  // A channel started playing live, from any list, key or the grid.
  void channelPlayed(const std::u16string& id, const std::u16string& name);
  // Plays a past programme of a channel from its start; false (nothing
  // changes) when the channel has no archive for it or the viewer kept a
  // recording going.
  bool playArchive(const std::u16string& channelId, const std::u16string& title, int64_t start, int64_t stop);

  void togglePause();
  void seekBy(double seconds);
  // A click on the bar: share 0..1 of its length.
  void seekToShare(double share);
  // Back to the live picture: the buffer's newest second, or the channel
  // itself after the archive.
  void goLive();
  void toggleRecording();
  // Named after channelName, else the channel that plays.
  bool startRecording(const std::u16string& channelName = {});
  // A scheduled programme's recording stopped before its end leaves the
  // schedule with it.
  void stopRecording();
  // While recording: asks whether to stop for a channel switch or the
  // close; true when the viewer may go on (nothing records, or yes).
  bool confirmLeave(Leave why);
  // Schedules the recording of a programme not begun yet, or cancels it
  // when it is scheduled (stopping its recording when that runs); false
  // when neither could be done.
  bool toggleScheduled(const std::u16string& channelId, const std::u16string& channelName,
                       const std::u16string& title, int64_t start, int64_t stop);
  bool isScheduled(const std::u16string& channelId, int64_t start) const;
  // The programmes of this window's source that are scheduled, by channel
  // id and start.
  std::set<std::pair<QString, int64_t>> scheduledProgrammes() const;

  bool archive() const { return archive_.has_value(); }
  bool recording() const { return !recordingPath_.empty(); }
  const std::string& recordingPath() const { return recordingPath_; }
  const RecordingSchedule& schedule() const { return schedule_; }
  TransportBar* bar() const { return bar_; }
  // Position and length of the bar, and the behind-live seconds, as last polled.
  const TransportBar::View& view() const { return view_; }
  // Polls the player now (the timer does it every kPollMs).
  void refresh();
  // Looks for a scheduled recording due now (a timer does it).
  void checkSchedule();

  // Space, R, Left/Right (Shift: a minute); true when taken.
  bool handleKey(QKeyEvent* event);

 signals:
  // A programme was scheduled or cancelled, or a finished one left.
  void scheduleChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Archive {
    std::u16string channelId, channelName, title;
    int64_t start = 0, stop = 0;
    double base = 0;  // seconds into the programme where the stream began
  };

  PlayerControl* control() const;
  bool keysAllowed() const;
  void placeBar();
  void traceBar(bool shown);
  void note(const QString& text);
  bool openArchiveAt(double offset);
  void seekArchive(double offset);
  bool scheduleSelectedRow();
  std::string sourceKey() const;

  TembraPlayerWnd& w_;
  QPointer<TransportBar> bar_;  // child of the video slot
  QTimer poll_;
  QTimer scheduleTimer_;
  QTimer noteTimer_;
  QElapsedTimer activity_;
  TransportBar::View view_;
  std::u16string liveId_, liveName_;
  std::optional<Archive> archive_;
  std::string recordingsFolder_;
  std::string recordingPath_;
  QElapsedTimer recordingSince_;
  bool noFileSaid_ = false;
  // The scheduled programme being recorded (its end stops the recording).
  std::optional<RecordingSchedule::Entry> scheduled_;
  RecordingSchedule schedule_;
  bool asking_ = false;  // a question is open: no second one, no keys
  QString note_;
  int tracedBehind_ = -1;  // the last behind-live second written to the trace
  QPoint tracedLiveAt_{-1, -1};
};

}  // namespace tembra
