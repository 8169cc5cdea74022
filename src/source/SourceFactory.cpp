#include "source/SourceFactory.h"

#include "platform/XdgFolders.h"
#include "source/PlaylistSource.h"
#include "source/SecretStore.h"
#include "source/SourceList.h"
#include "source/XtreamSource.h"

namespace tembra {

std::string SourceFactory::cacheFolderOf(const SourceSettings& settings) {
  return XdgFolders::cacheHome() + "/tembra/sources/" + settings.id;
}

std::shared_ptr<ChannelSource> SourceFactory::make(const SourceSettings& settings) {
  if (settings.kind == SourceKind::Operator) return nullptr;
  if (settings.kind == SourceKind::Xtream) {
    XtreamSource::Options options;
    if (!settings.id.empty()) options.cacheFolder = cacheFolderOf(settings);
    SourceSettings account = settings;
    if (account.passwordStored && account.password.empty())
      account.password = SecretStore::lookup(SourceList::defaultPath(), account.id).value_or(std::string());
    return std::make_shared<XtreamSource>(std::move(account), options);
  }
  PlaylistSource::Options options;
  if (!settings.id.empty()) options.cacheFolder = cacheFolderOf(settings);
  return std::make_shared<PlaylistSource>(settings, options);
}

}  // namespace tembra
