#pragma once
#include <QString>

namespace tembra {

// The short texts a viewer reads on the video area.
class PlayerStatusText {
 public:
  // Why a stream stopped: mpvError is the end-file error code (0 when the
  // stream simply ended); network tells a server address from a file.
  static QString ForEnd(int mpvError, bool endedByItself, bool network);
  // A stream that played has dropped and is being opened again.
  static QString Interrupted();
  // The player itself could not start, so nothing can play.
  static QString NotStarted();
  static QString Retry();
  static QString Buffering(int percent);
  static QString Volume(int volume, bool muted);
};

}  // namespace tembra
