#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/PixelRect.h"

class QWidget;

namespace tembra {

// Rectangle in the parent's client coordinates, right and bottom exclusive.
using PlayerRect = PixelRect;

// The player component as the window's player host sees it: the methods of
// the component's dispatch interface (ids fixed by the component), and its
// child window. Texts are UTF-16 as everywhere in the core; the only Qt type
// is the widget accessor, so the window's tests drive a fake offscreen.
class PlayerControl {
 public:
  enum DispatchId : int32_t {
    SetAddressId = 11,
    SetChannelNameId = 21,
    SetAuthFirstId = 41,
    SetAuthSecondId = 51,
    SetLanguageId = 61,
    SetAuthUrlId = 81,
    PlayId = 100,
    StopPlayerId = 101,
    QueryStateId = 105,
    ActivateId = 112,
    SetLogoPageId = 115,
  };

  // QueryState arguments.
  static constexpr int32_t kStateReady = 1;
  static constexpr int32_t kStateHoldDisplay = 2;

  // Told once per Activate, on the component's thread and never from
  // inside Activate itself: true when QueryState(kStateReady) now answers 1,
  // false when the component gave up starting.
  using ReadyHandler = std::function<void(bool ready)>;

  virtual ~PlayerControl() = default;

  virtual void SetAddress(const std::u16string& address) = 0;
  virtual void SetChannelName(const std::u16string& name) = 0;
  virtual void SetAuthFirst(const std::u16string& value) = 0;
  virtual void SetAuthSecond(const std::u16string& value) = 0;
  virtual void SetLanguage(const std::u16string& language) = 0;
  virtual void SetAuthUrl(const std::u16string& url) = 0;
  // The user agent and referrer the next Play's stream is requested with;
  // empty: the player's own agent, no referrer. Playlists name them for
  // providers that refuse other clients.
  virtual void SetRequestHeaders(const std::string& userAgent, const std::string& referrer) {}
  virtual void Play() = 0;
  virtual void StopPlayer() = 0;
  // 1: answers 1 once the component is ready. 2: non-zero while the screen
  // saver and monitor power-off must be held off. Anything else: 0.
  virtual int32_t QueryState(int32_t what) = 0;
  virtual void Activate() = 0;
  virtual void SetLogoPage(const std::u16string& path) = 0;
  // Set before Activate. A component that never reports leaves its host to
  // its own deadline; one that is ready at once may still report.
  virtual void SetReadyHandler(ReadyHandler handler) = 0;

  // Freezes the picture and sound where they are, keeping the channel;
  // false goes on from there. A new channel always plays.
  virtual void SetPaused(bool paused) {}
  virtual bool IsPaused() const { return false; }

  // What the desktop's media controls read and set. Volume 0..100, -1 for
  // a component without a volume of its own.
  virtual int Volume() const { return -1; }
  virtual void SetVolume(int volume) {}
  // Told on the component's thread after its playback state, pause,
  // volume or tracks changed, so a listener never has to poll.
  using ChangeHandler = std::function<void()>;
  virtual void SetChangeHandler(ChangeHandler handler) {}

  // The child window: created hidden at rect, destroyed, shown or hidden.
  // A control without a window skips every method call above.
  virtual bool CreateWindow(const PlayerRect& rect) = 0;
  virtual void DestroyWindow() = 0;
  virtual bool HasWindow() const = 0;
  virtual void ShowWindow(bool show) = 0;
  // The widget the window places in its video slot; null without a window.
  virtual QWidget* widget() = 0;

  // Transport: pausing, seeking within what was received, and writing the
  // stream to a file as it arrives. A component without them keeps the
  // defaults (never paused, nothing to seek, no recording).
  struct Transport {
    bool open = false;       // a stream plays or is paused; the rest means something only then
    double position = 0;     // seconds on the stream's own timeline
    double rangeStart = 0;   // the oldest second still held (or the file's start)
    double rangeEnd = 0;     // the newest second received (or the file's end)
    double duration = 0;     // 0: not known (a live stream)
    bool seekable = false;   // seeks within rangeStart..rangeEnd work
  };
  // (Pausing is SetPaused / IsPaused above.)
  virtual Transport TransportState() const { return {}; }
  // To a second of the stream's timeline (Transport::position's scale).
  virtual void SeekTo(double position) {}
  // Writes the packets of what plays to path as they arrive, without
  // re-encoding; false when the recording could not be started.
  virtual bool StartRecording(const std::string& path) { return false; }
  virtual void StopRecording() {}
  virtual bool IsRecording() const { return false; }
};

}  // namespace tembra
