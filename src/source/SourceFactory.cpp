#include "source/SourceFactory.h"

#include "platform/XdgFolders.h"
#include "source/PlaylistSource.h"

namespace tembra {

std::string SourceFactory::cacheFolderOf(const SourceSettings& settings) {
  return XdgFolders::cacheHome() + "/tembra/sources/" + settings.id;
}

std::shared_ptr<ChannelSource> SourceFactory::make(const SourceSettings& settings) {
  if (settings.kind == SourceKind::Operator) return nullptr;
  PlaylistSource::Options options;
  if (!settings.id.empty()) options.cacheFolder = cacheFolderOf(settings);
  return std::make_shared<PlaylistSource>(settings, options);
}

}  // namespace tembra
