#pragma once
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "player/MpvOptions.h"
#include "player/TrackList.h"

struct mpv_handle;

namespace tembra {

// Owns the mpv handle. A thread of its own waits for mpv's events and
// hands copies of them to the GUI thread, where they are turned into
// signals: taking an event can wait for mpv's core (an observed property's
// new value is read there), and that wait must not hold up the window.
// Everything else here runs on the GUI thread. The renderer borrows
// handle() and must free its render context before this object is
// destroyed (aboutToClose is its cue).
class MpvSession : public QObject {
  Q_OBJECT
 public:
  explicit MpvSession(MpvOptions::Outputs outputs, QObject* parent = nullptr);
  ~MpvSession() override;

  // Creates, configures and initialises the handle; idempotent. False with
  // error() set when mpv refuses (its state stays uninitialised).
  bool initialize();
  bool initialized() const { return initialized_; }
  const QString& error() const { return error_; }
  mpv_handle* handle() const { return handle_; }

  // Replaces whatever plays with address, sending headers ("Name: value").
  void load(const std::string& address, const std::vector<std::string>& headers);
  void stop();
  // Asks the handle's core to quit without waiting, so that several
  // sessions wind down at once before each one's destruction waits for it.
  void beginQuit();
  void setVolume(int volume);
  void setMuted(bool muted);

  // Options applied after the player's own before the handle starts (the
  // live buffer's); no effect once initialised.
  void setExtraOptions(std::vector<MpvOption> options) { extraOptions_ = std::move(options); }

  // Transport of the current file (see PlayerControl::Transport).
  void setPaused(bool paused);
  bool paused() const;
  void seekTo(double position);
  // open false while no file plays.
  struct CacheState {
    bool open = false;
    double position = 0, rangeStart = 0, rangeEnd = 0, duration = 0;
    bool seekable = false;
    int64_t forwardBytes = 0, totalBytes = 0;
  };
  CacheState cacheState() const;
  // Sets the cap of what the cache keeps behind the picture while it plays.
  void setBackBytes(int64_t bytes);
  // Empty path: stops writing.
  bool setRecordPath(const std::string& path);

  // -1 while no video frame has been decoded for the current file.
  int64_t estimatedFrameNumber() const;
  int64_t frameDrops() const;

  // The languages the next load picks its audio and subtitle tracks by
  // (mpv's alang/slang); no subtitle language: no subtitles.
  void setTrackPreference(const std::string& audioLanguage, const std::string& subtitleLanguage);
  // Switches the playing file's track of that kind; 0 turns it off.
  void selectTrack(MediaTrack::Kind kind, int64_t id);
  // aspect: mpv's video-aspect-override ("-1", "16:9", ...).
  void setPicture(const std::string& aspect, double panscan, double zoom);
  // The tracks of the file playing, as mpv last told them.
  const TrackList& tracks() const { return tracks_; }

 signals:
  void fileStarted();
  // The first frame of the current file is ready and playback runs.
  void playbackStarted();
  void bufferingChanged(bool buffering, int percent);
  // reason: mpv end-file reason; error: mpv error code or 0.
  void fileEnded(int reason, int error);
  void aboutToClose();
  // tracks() or their selection changed.
  void tracksChanged();

 private:
  // The event thread's loop, until mpv shuts down or stopEvents_.
  void waitForEvents();
  void stopEventThread();
  void handleEvent(const void* event);

  MpvOptions::Outputs outputs_;
  std::vector<MpvOption> extraOptions_;
  mpv_handle* handle_ = nullptr;
  bool initialized_ = false;
  QString error_;
  std::thread events_;
  std::atomic<bool> stopEvents_{false};
  // Playlist entry of the file the viewer last asked for (loadfile's
  // answer; 0: take the next file that starts, -1: none), so the end of a
  // file it replaced is not taken for the end of the new one.
  int64_t currentEntry_ = -1;
  // Stops sent and not yet answered, and the load asked for meanwhile: mpv
  // may run an asynchronous command after a later synchronous one, so a
  // load waits for the stop before it to be answered (GUI thread only).
  int stopsPending_ = 0;
  std::optional<std::pair<std::string, std::vector<std::string>>> loadAfterStop_;
  bool started_ = false;
  // GUI thread only: the preferred languages, and the tracks and the
  // selected ids as the observed properties last told them.
  std::string audioLanguage_;
  std::string subtitleLanguage_;
  TrackList tracks_;
  int64_t audioId_ = 0;
  int64_t subtitleId_ = 0;
  // What mpv last told of the transport properties it is asked to observe:
  // reading them with a blocking call would wait for a core busy with a
  // seek or a network read, holding the window's thread up (GUI thread only).
  struct Observed {
    std::optional<double> position, duration;
    bool seekable = false;
    bool paused = false;
    std::vector<std::pair<double, double>> ranges;
    std::optional<double> cacheEnd;
    int64_t forwardBytes = 0, totalBytes = 0;
  };
  Observed observed_;
  void observe(uint64_t id, const void* property);
  void forgetFile();
  bool pausedForCache_ = false;
  int bufferPercent_ = 0;
};

}  // namespace tembra
