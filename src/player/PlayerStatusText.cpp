#include "player/PlayerStatusText.h"

#include <mpv/client.h>

namespace tembra {

QString PlayerStatusText::ForEnd(int mpvError, bool endedByItself, bool network) {
  if (endedByItself) return QStringLiteral("The broadcast has stopped. Pick the channel again to retry.");
  switch (mpvError) {
    case MPV_ERROR_LOADING_FAILED:
      return network ? QStringLiteral("This channel cannot be reached right now.")
                     : QStringLiteral("This channel cannot be opened.");
    case MPV_ERROR_UNKNOWN_FORMAT:
      return QStringLiteral("This channel sends a stream that cannot be played.");
    case MPV_ERROR_NOTHING_TO_PLAY:
      return QStringLiteral("This channel carries no picture or sound.");
    case MPV_ERROR_AO_INIT_FAILED:
    case MPV_ERROR_VO_INIT_FAILED:
      return QStringLiteral("The picture or sound could not be started on this computer.");
    default:
      return QStringLiteral("This channel cannot be played right now.");
  }
}

QString PlayerStatusText::Interrupted() { return QStringLiteral("The stream was interrupted, reconnecting..."); }

QString PlayerStatusText::NotStarted() { return QStringLiteral("The player could not be started on this computer."); }

QString PlayerStatusText::Retry() { return QStringLiteral("Retry"); }

QString PlayerStatusText::Buffering(int percent) {
  if (percent <= 0 || percent >= 100) return QStringLiteral("Buffering…");
  return QStringLiteral("Buffering… %1%").arg(percent);
}

QString PlayerStatusText::Volume(int volume, bool muted) {
  return muted ? QStringLiteral("Muted") : QStringLiteral("Volume %1%").arg(volume);
}

}  // namespace tembra
