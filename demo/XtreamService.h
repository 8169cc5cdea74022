#pragma once
#include <httplib.h>

#include <functional>
#include <string>

#include "DemoData.h"
#include "DemoOptions.h"
#include "Faults.h"
#include "ReplyShaper.h"

namespace tembra {

// The line-up as a provider account: player_api.php (the account check,
// get_live_categories, get_live_streams), the live streams under
// /live/USER/PASSWORD/ID.ts, the guide as xmltv.php and past programmes
// under /timeshift/USER/PASSWORD/MINUTES/YYYY-MM-DD:HH-MM/ID.ts (the
// channel's own picture for MINUTES, as a file that can be sought in: the
// demo keeps no real archive).
//
// Its replies are written the way real servers write them: some numbers
// as strings, the channels without a guide id with null there, every third
// channel without an archive.
class XtreamService {
 public:
  struct Hooks {
    std::function<void(const httplib::Request&, httplib::Response&)> guide;  // the XMLTV guide, plain
    std::function<void(const DemoChannel&, httplib::Response&)> stream;      // a channel's live stream
    std::function<std::string(const httplib::Request&)> base;                // "http://HOST:PORT/"
    // A past programme of the channel, that many seconds long.
    std::function<void(const DemoChannel&, int64_t, httplib::Response&)> archive;
  };

  XtreamService(const DemoData& data, const DemoOptions& options, const Faults& faults, ReplyShaper& shaper,
                Hooks hooks);

  void install(httplib::Server& server);

  // Whether the channel at index offers an archive, and for how many days.
  static bool HasArchive(size_t index) { return index % 3 != 2; }
  static constexpr int kArchiveDays = 3;

 private:
  void api(const httplib::Request& req, httplib::Response& res);
  void xmltv(const httplib::Request& req, httplib::Response& res);
  // /live/ and /timeshift/: the user and password are the first two matches,
  // the stream id the last.
  void stream(const httplib::Request& req, httplib::Response& res);
  // /timeshift/: as stream, the programme's minutes the third match.
  void archive(const httplib::Request& req, httplib::Response& res);
  bool known(const std::string& user, const std::string& password) const;
  // A JSON answer, trickled when the slow fault is on.
  void send(httplib::Response& res, std::string body);

  std::string account(const std::string& base, bool expired) const;
  std::string categories(bool wrongShape) const;
  // One entry of get_live_streams.
  std::string stream(size_t index, const std::string& base, bool wrongShape) const;
  void streams(httplib::Response& res, const std::string& base, const std::string& category, bool wrongShape);

  const DemoData& data_;
  const DemoOptions& options_;
  const Faults& faults_;
  ReplyShaper& shaper_;
  Hooks hooks_;
};

}  // namespace tembra
