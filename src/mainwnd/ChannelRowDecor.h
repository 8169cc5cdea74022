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
  // The channels' names and logos are looked up once per row and kept
  // until the list is filled again (a source may look a channel up by
  // walking all of them).
  void forgetChannels() { channels_.clear(); }
  bool showsProgramme() const { return withProgramme_; }
  // Nothing for a channel without a programme on now.
  std::optional<Now> programmeOf(const std::u16string& channelId) const;

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
  // The rows' texts as they came: their times are read only for the rows
  // painted (once each), as reading a local time is slow enough to matter
  // for tens of thousands of channels at every refill.
  // A start as the guide wrote it, kept without an allocation: only the
  // first 10 characters of the date and 8 of the time are ever read.
  struct Stamp {
    char16_t date[10];
    char16_t time[8];
    uint8_t dateLength = 0, timeLength = 0;
    void set(std::u16string_view d, std::u16string_view t);
    std::optional<int64_t> read() const;
  };
  struct Held {
    std::u16string title;
    Stamp start, next;
    mutable bool read = false;
    mutable int64_t startTime = 0, stopTime = 0;
  };
  std::unordered_map<std::u16string, Held> programmes_;
  QHash<QString, QPixmap> badges_;
  struct Channel {
    std::string logo;
    QString name;
  };
  QHash<QString, Channel> channels_;
};

}  // namespace tembra
