#include "record/ArchiveRows.h"

#include "source/GuideSource.h"

namespace tembra {

std::vector<std::optional<ArchiveRows::Span>> ArchiveRows::spans(const std::vector<GuideRow>& rows) {
  std::vector<std::optional<int64_t>> starts;
  starts.reserve(rows.size());
  for (const GuideRow& r : rows) starts.push_back(GuideSource::localTimeOf(r.entry.startdate, r.entry.starttime));
  std::vector<std::optional<Span>> out(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!starts[i]) continue;
    int64_t stop = GuideSource::localMidnight(*starts[i], 1);
    for (size_t j = i + 1; j < rows.size(); ++j) {
      if (starts[j] && *starts[j] > *starts[i]) {
        stop = *starts[j];
        break;
      }
    }
    out[i] = Span{*starts[i], stop};
  }
  return out;
}

bool ArchiveRows::playable(const Span& span, std::optional<int> catchupDays, int64_t now) {
  if (!catchupDays || span.stop <= span.start || span.start > now) return false;
  const int64_t days = *catchupDays > 0 ? *catchupDays : 1;
  return span.start >= now - days * 86400;
}

}  // namespace tembra
