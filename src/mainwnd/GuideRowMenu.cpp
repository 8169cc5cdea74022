#include "mainwnd/GuideRowMenu.h"

namespace tembra {

bool GuideRowMenu::inArchive(std::optional<int> catchupDays, int64_t start, int64_t now) {
  if (!catchupDays || *catchupDays < 0 || start <= 0 || start > now) return false;
  return *catchupDays == 0 || now - start <= int64_t{*catchupDays} * 86400;
}

std::vector<GuideRowMenu::Entry> GuideRowMenu::entries(const Row& row) {
  std::vector<Entry> out{{Action::Play, row.channelKnown}, {Action::Details, true}};
  if (row.channelKnown && inArchive(row.catchupDays, row.start, row.now))
    out.push_back({Action::Archive, row.archivePlayable});
  if (!row.schedulable || row.start <= 0) return out;
  // A scheduled programme can be cancelled even when its channel has left
  // the list; only a channel that plays can be recorded.
  if (row.scheduled) out.push_back({Action::CancelRecording, true});
  else if (row.channelKnown && row.start > row.now) out.push_back({Action::Record, true});
  return out;
}

}  // namespace tembra
