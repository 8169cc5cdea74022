#pragma once
#include <QObject>
#include <cstdint>
#include <functional>

#include "player/PlayerSettings.h"
#include "player/TrackList.h"

class QMenu;
class QWidget;

namespace tembra {

// The menu a right-click on the video opens: the audio and subtitle tracks
// of the channel playing, by the names and languages the stream gives
// them ("Off" for subtitles), and the picture's shape and zoom. Each item
// carries an object name ("audio-2", "subtitle-0", "aspect-fill",
// "zoom-125") so it can be found without its text.
class PlayerMenu {
 public:
  struct Choices {
    std::function<void(int64_t id)> audio;     // a track id
    std::function<void(int64_t id)> subtitle;  // 0: off
    std::function<void(PlayerSettings::Aspect)> aspect;
    std::function<void(int percent)> zoom;
  };

  // A new menu (deleted when it closes) with every choice checked as it
  // stands; nothing is applied until an item is triggered.
  static QMenu* Build(const TrackList& tracks, PlayerSettings::Aspect aspect, int zoom, Choices choices,
                      QWidget* parent = nullptr);
};

}  // namespace tembra
