#pragma once
#include <memory>
#include <string>

#include "source/ChannelSource.h"
#include "source/SourceSettings.h"

namespace tembra {

// Makes the channel source a kept source describes. The operator's service
// is the window's own default and comes out as null. A provider account
// whose password the secret store keeps gets it from there (the sources
// file at its default place).
class SourceFactory {
 public:
  static std::shared_ptr<ChannelSource> make(const SourceSettings& settings);
  // $XDG_CACHE_HOME/tembra/sources/ID: the source's last good playlist and guides.
  static std::string cacheFolderOf(const SourceSettings& settings);
};

}  // namespace tembra
