#pragma once
#include <QHash>
#include <QPixmap>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "guide/GuideRow.h"
#include "skin/SkinRowDecor.h"

namespace tembra {

class ChannelSource;
class LogoLoader;

// What channel rows show beside their names ("channellist" and the
// now-playing list, whose items are named by channel id): the channel's
// logo, or its initials on a coloured badge until the logo is there (or
// when it has none); in the channel list also the programme on now under
// the name with a bar of how much of it has run.
class ChannelRowDecor : public SkinRowDecor {
 public:
  // What is on now on one channel: its title and times (UTC seconds; stop
  // 0 when not known).
  struct Now {
    std::u16string title;
    int64_t start = 0;
    int64_t stop = 0;
  };

  // logos may be null (no logos, only badges). now gives the clock (UTC
  // seconds); empty: the system's.
  ChannelRowDecor(ChannelSource& source, LogoLoader* logos, bool withProgramme,
                  std::function<int64_t()> now = {});

  SkinRowDecoration decorate(const CListLabelElementUI& item, int pictureSide, bool subline) override;

  // The programmes on now from the now-playing rows, each ending where the
  // same channel's row of the up-next rows starts.
  void setProgrammes(const std::vector<GuideRow>& nowRows, const std::vector<GuideRow>& nextRows);
  void setShowProgramme(bool on) { withProgramme_ = on; }
  bool showsProgramme() const { return withProgramme_; }
  const Now* programmeOf(const std::u16string& channelId) const;

  // How much of a programme has run at `now`: 0..1; nothing without a
  // known, later stop.
  static std::optional<double> progress(int64_t start, int64_t stop, int64_t now);
  // The badge standing for a channel without its logo: initials on a
  // rounded square in the channel's own colour.
  static QPixmap badge(const QString& name, int side, qreal dpr);

 private:
  ChannelSource& source_;
  LogoLoader* logos_;
  bool withProgramme_;
  std::function<int64_t()> now_;
  // GUI thread only, as every paint.
  std::unordered_map<std::u16string, Now> programmes_;
  QHash<QString, QPixmap> badges_;
};

}  // namespace tembra
