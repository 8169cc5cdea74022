#pragma once
// The real player on libmpv with null video and audio outputs and no logo
// page, held by a PlayerHost as the window holds it.
#include <memory>
#include <string>

#include "player/MpvPlayer.h"
#include "player/PlayerHost.h"

namespace tembra::test {

inline MpvPlayer::Config HeadlessConfig(const std::string& settingsPath) {
  MpvPlayer::Config config;
  config.renderVideo = false;
  config.audio = false;
  config.logoPage = false;
  config.settingsPath = QString::fromStdString(settingsPath);
  // The live buffer beside the settings, not in the user's cache.
  config.timeshiftFolder = QString::fromStdString(settingsPath + ".timeshift");
  return config;
}

// A host of a headless player; player is left pointing at it.
inline std::unique_ptr<PlayerHost> HeadlessHost(const std::string& settingsPath, MpvPlayer*& player) {
  auto owned = std::make_unique<MpvPlayer>(HeadlessConfig(settingsPath));
  player = owned.get();
  return std::make_unique<PlayerHost>(std::move(owned));
}

}  // namespace tembra::test
