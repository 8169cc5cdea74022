#pragma once
#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <functional>
#include <string>
#include <thread>

#include "AdPackages.h"
#include "DemoData.h"
#include "DemoOptions.h"
#include "Faults.h"
#include "NetNamespace.h"
#include "NoticeResponder.h"
#include "ReplyShaper.h"
#include "SessionBook.h"
#include "ShutdownFlag.h"
#include "StatsCollector.h"
#include "StreamCache.h"
#include "XtreamService.h"

namespace tembra {

// The demo operator service: every endpoint the client uses, on a loopback
// listener and, when root, on a second listener inside the notice
// namespace, together with the UDP notice responder there.
class DemoServer {
 public:
  explicit DemoServer(DemoOptions options);
  ~DemoServer();
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Start-up, in this order: Prepare, Listen, then optionally
  // StartNamespace and PrefetchFirstStream. False with a message on failure.
  bool Prepare(std::string& error);
  bool Listen(std::string& error);
  bool StartNamespace(std::string& error);
  void PrefetchFirstStream();
  void Stop();

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:PORT/"
  std::string baseUrl() const;
  const NetNamespace& netNamespace() const { return ns_; }
  const std::string& cacheFolder() const { return cacheFolder_; }
  bool streamsAvailable() const { return streams_ && streams_->available(); }

 private:
  void install(httplib::Server& server);
  void configure(httplib::Server& server);

  void signIn(const httplib::Request& req, httplib::Response& res);
  void catalogue(const httplib::Request& req, httplib::Response& res);
  void guide(const httplib::Request& req, httplib::Response& res);
  void clock(const httplib::Request& req, httplib::Response& res);
  void collected(const httplib::Request& req, httplib::Response& res);
  void manifest(const httplib::Request& req, httplib::Response& res);
  void package(const httplib::Request& req, httplib::Response& res);
  void stream(const httplib::Request& req, httplib::Response& res);
  // A past programme (/catchup/ID.ts?utc=..., or /stream/ID?utc=...).
  void catchup(const httplib::Request& req, httplib::Response& res);
  // A flussonic channel live (/fs/ID/mpegts) and from its archive
  // (/fs/ID/timeshift_abs-UTC.ts, from UTC on).
  void flussonicLive(const httplib::Request& req, httplib::Response& res);
  void flussonicArchive(const httplib::Request& req, httplib::Response& res);
  const DemoChannel* flussonicChannel(const std::string& id) const;
  void serveArchive(const DemoChannel& channel, int64_t seconds, httplib::Response& res);
  void serveStream(const DemoChannel& channel, httplib::Response& res);
  void servePaced(httplib::Response& res, const char* type, double bytesPerSecond, size_t piece,
                  std::function<std::string(uint64_t)> blockAt);
  // The stream with two audio tracks and a subtitle, and a small playlist
  // that opens with it before a few of the line-up's channels.
  void tracksStream(const httplib::Request& req, httplib::Response& res);
  void tracksPlaylist(const httplib::Request& req, httplib::Response& res);
  void faultsPage(const httplib::Request& req, httplib::Response& res);
  void noticePage(const httplib::Request& req, httplib::Response& res);
  void indexPage(const httplib::Request& req, httplib::Response& res);
  void playlist(const httplib::Request& req, httplib::Response& res, bool gzip);
  void epg(const httplib::Request& req, httplib::Response& res, bool gzip);
  void logo(const httplib::Request& req, httplib::Response& res);
  // "http://HOST:PORT/" as the request reached this service.
  std::string baseFor(const httplib::Request& req) const;
  const std::string& catalogueText();

  DemoOptions options_;
  ShutdownFlag shutdown_;
  Faults faults_;
  DemoData data_;
  SessionBook sessions_;
  StatsCollector stats_;
  AdPackages ads_;
  ReplyShaper shaper_;
  NoticeResponder notices_;
  NetNamespace ns_;
  XtreamService xtream_;
  std::string cacheFolder_;
  std::unique_ptr<StreamCache> streams_;

  std::once_flag catalogueOnce_;  // builds catalogue_ on first request
  std::string catalogue_;

  std::atomic<int> streamsOpen_{0};  // streams being served right now

  uint16_t port_ = 0;
  httplib::Server main_;
  httplib::Server inner_;
  static void awaitRunning(const httplib::Server& server);

  std::thread mainThread_;
  std::thread innerThread_;
  bool stopped_ = false;
};

}  // namespace tembra
