#include "DemoServer.h"

#include "ArchiveStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <future>

#include "CatalogueWriter.h"
#include "CivilDate.h"
#include "GuideWriter.h"
#include "PieceStream.h"
#include "PlaylistWriter.h"
#include "PngImage.h"
#include "Rng.h"
#include "TextEscape.h"
#include "XmltvWriter.h"

namespace tembra {

namespace {

constexpr uint16_t kNoticePort = 36000;
constexpr size_t kWorkerThreads = 48;
constexpr int kMaxGuideDays = 7;
constexpr const char* kXml = "text/xml; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kM3u = "audio/x-mpegurl; charset=utf-8";
constexpr const char* kGzip = "application/gzip";
constexpr uint32_t kLogoPixels = 64;
constexpr size_t kMaxHostBytes = 255;
constexpr size_t kGarbageBytes = 64 << 10;

// A Host header fit to be written into a playlist: a name or address and
// a port, nothing that could end an attribute or a line.
bool usableHost(const std::string& host) {
  if (host.empty() || host.size() > kMaxHostBytes) return false;
  for (unsigned char c : host)
    if (!std::isalnum(c) && c != '.' && c != '-' && c != ':' && c != '[' && c != ']') return false;
  return true;
}

// What a network's sign-in portal answers in place of the file asked for.
std::string portalPage() {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Sign in to continue</title></head>\n"
         "<body><h1>Sign in to continue</h1>\n<p>This network needs you to sign in before you can use "
         "it.</p>\n<form method=\"post\" action=\"/\"><input name=\"code\"><button>Sign in</button>"
         "</form></body></html>\n";
}

// Bytes that are neither gzip nor XML in any encoding: no gzip magic, no
// '<', no byte-order mark at the start.
const std::string& garbage() {
  static const std::string bytes = [] {
    std::string out = "\x8f\x03\xc7\x11";
    Rng rng(0x6A5B);
    while (out.size() < kGarbageBytes) out += static_cast<char>(rng.next());
    return out;
  }();
  return bytes;
}

std::string defaultCacheFolder() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) return std::string(xdg) + "/tembra-demo";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache/tembra-demo";
  return "/tmp/tembra-demo-" + std::to_string(getuid());
}

std::string signInReply(const std::string& id, bool withTags, int result) {
  std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<auth>\n";
  if (withTags) body += "<Uuid>" + id + "</Uuid>\n";
  body += "<Result>" + std::to_string(result) + "</Result>\n</auth>\n";
  return body;
}

// A bound IPv4 UDP socket, or -1.
int udpSocket(const std::string& address, uint16_t port, std::string& error) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "udp socket: " + std::string(strerror(errno));
    return -1;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    error = "udp bind " + address + ":" + std::to_string(port) + ": " + strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

// The HTTP library is a shared object built without ThreadSanitizer, so the
// checker cannot see the guard of what the library makes once on first use
// (the request parser's table of methods): two workers that parse their
// first requests at once look to it like a race on that table. Serving one
// request here, on threads that are joined before the listeners' threads
// exist, orders that first use before all of them.
void primeHttpLibrary() {
  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(1); };
  server.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", kText); });
  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) return;
  std::atomic<bool> ended{false};
  std::thread serving([&server, &ended] {
    server.listen_after_bind();
    ended = true;
  });
  // A stop before the listen loop runs would be lost (see awaitRunning).
  while (!server.is_running() && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!ended) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(5, 0);
    client.Get("/");
    server.stop();
  }
  serving.join();
}

}  // namespace

DemoServer::DemoServer(DemoOptions options)
    : options_(std::move(options)),
      data_(options_),
      sessions_(options_.seed),
      shaper_(faults_, shutdown_, options_.hangSeconds, options_.slowBytesPerSecond),
      notices_(shutdown_),
      xtream_(data_, options_, faults_, shaper_,
              {[this](const httplib::Request& q, httplib::Response& s) { epg(q, s, false); },
               [this](const DemoChannel& c, httplib::Response& s) { serveStream(c, s); },
               [this](const httplib::Request& q) { return baseFor(q); },
               [this](const DemoChannel& c, int64_t seconds, httplib::Response& s) { serveArchive(c, seconds, s); }}) {
  for (Faults::Id id : options_.faults) faults_.set(id, true);
  if (options_.forcedUpgrade)
    notices_.SetAnswer(NoticeResponder::Mode::Forced, {});
  else if (!options_.noticeText.empty())
    notices_.SetAnswer(NoticeResponder::Mode::Notice, options_.noticeText);
}

DemoServer::~DemoServer() { Stop(); }

std::string DemoServer::baseUrl() const {
  return "http://" + options_.listenHost + ":" + std::to_string(port_) + "/";
}

bool DemoServer::Prepare(std::string& error) {
  cacheFolder_ = options_.cacheDir.empty() ? defaultCacheFolder() : options_.cacheDir;
  std::error_code ec;
  std::filesystem::create_directories(cacheFolder_, ec);
  if (ec) {
    error = "cannot create the cache folder " + cacheFolder_ + ": " + ec.message();
    return false;
  }
  if (!ads_.Build(cacheFolder_, error)) return false;
  primeHttpLibrary();
  streams_ = std::make_unique<StreamCache>(cacheFolder_, options_.streamSeconds, shutdown_);
  configure(main_);
  configure(inner_);
  install(main_);
  install(inner_);
  return true;
}

void DemoServer::configure(httplib::Server& server) {
  // Streams and held connections each occupy a worker for their whole
  // life, so the pool is larger than the library's default of eight.
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server.set_keep_alive_timeout(2);
  server.set_read_timeout(10);
  server.set_write_timeout(10);
  server.set_payload_max_length(64u << 20);
  // Pages for what no route answers (404 and the like); answers that
  // already carry a body keep it.
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty() || res.content_provider_) return httplib::Server::HandlerResponse::Unhandled;
    res.set_content(ReplyShaper::PageText(res.status), kHtml);
    return httplib::Server::HandlerResponse::Handled;
  }));
}

bool DemoServer::Listen(std::string& error) {
  bool bound;
  if (options_.listenPort == 0) {
    int port = main_.bind_to_any_port(options_.listenHost);
    bound = port > 0;
    port_ = static_cast<uint16_t>(bound ? port : 0);
  } else {
    bound = main_.bind_to_port(options_.listenHost, options_.listenPort);
    port_ = options_.listenPort;
  }
  if (!bound) {
    error = "cannot listen on " + options_.listenHost + ":" + std::to_string(options_.listenPort);
    return false;
  }
  mainThread_ = std::thread([this] { main_.listen_after_bind(); });
  awaitRunning(main_);
  return true;
}

// The server library's stop() only takes effect once its listen loop has
// begun; a stop that came between bind and that moment would be lost and
// the loop would never end. Returning only once the loop runs closes that
// window.
void DemoServer::awaitRunning(const httplib::Server& server) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!server.is_running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool DemoServer::StartNamespace(std::string& error) {
  NetNamespace::RemoveStale();
  if (!ns_.Create(error)) return false;
  struct Outcome {
    int udp = -1;
    bool http = false;
    std::string error;
  };
  std::promise<Outcome> started;
  auto future = started.get_future();
  // Sockets stay in the namespace of the thread that made them: this
  // thread enters the namespace, makes both and then serves HTTP there.
  innerThread_ = std::thread([this, started = std::move(started)]() mutable {
    Outcome outcome;
    if (ns_.EnterOnThisThread(outcome.error)) {
      outcome.udp = udpSocket("0.0.0.0", kNoticePort, outcome.error);
      outcome.http = outcome.udp >= 0 && inner_.bind_to_port(ns_.innerAddress(), port_);
      if (outcome.udp >= 0 && !outcome.http)
        outcome.error = "cannot listen on " + ns_.innerAddress() + ":" + std::to_string(port_);
    }
    const bool serve = outcome.http;
    started.set_value(outcome);
    if (serve) inner_.listen_after_bind();
  });
  Outcome outcome = future.get();
  if (!outcome.http) {
    if (outcome.udp >= 0) close(outcome.udp);
    innerThread_.join();
    ns_.Remove();
    error = outcome.error;
    return false;
  }
  awaitRunning(inner_);
  notices_.Start(outcome.udp);
  return true;
}

void DemoServer::PrefetchFirstStream() {
  if (options_.noPregenerate || !streams_ || data_.channels().empty()) return;
  const DemoChannel& first = data_.channels().front();
  streams_->Prefetch(first.id, first.name + "\nchannel " + first.id, 0);
}

void DemoServer::Stop() {
  if (stopped_) return;
  stopped_ = true;
  shutdown_.Trigger();
  notices_.Stop();
  main_.stop();
  inner_.stop();
  if (mainThread_.joinable()) mainThread_.join();
  if (innerThread_.joinable()) innerThread_.join();
  streams_.reset();
  ns_.Remove();
}

void DemoServer::install(httplib::Server& server) {
  using R = const httplib::Request&;
  using S = httplib::Response&;
  // Base URLs may end in '/' (the ad manifest is asked for with no separator
  // after the base), which doubles the slash of the other paths, and may
  // carry a path of their own: match on the end of the path.
  server.Get(R"(/*(?:.*/)?auth\.action)", [this](R q, S s) { signIn(q, s); });
  server.Get(R"(/*(?:.*/)?tv\.action)", [this](R q, S s) { catalogue(q, s); });
  server.Get(R"(/*(?:.*/)?tvitem\.action)", [this](R q, S s) { guide(q, s); });
  server.Get(R"(/*(?:.*/)?getTime)", [this](R q, S s) { clock(q, s); });
  server.Post(R"(.*collected)", [this](R q, S s) { collected(q, s); });
  server.Get(R"(.*pcad\.action)", [this](R q, S s) { manifest(q, s); });
  server.Get(R"(/+ads/([a-z]+\.zip))", [this](R q, S s) { package(q, s); });
  server.Get(R"(/+ads/link\.html)", [](R, S s) { s.set_content(AdPackages::LinkPage(), kHtml); });
  server.Get(R"(/+stream/([^/]+))", [this](R q, S s) { stream(q, s); });
  server.Get(R"(/+stream-tracks\.mkv)", [this](R q, S s) { tracksStream(q, s); });
  server.Get(R"(/+tracks\.m3u)", [this](R q, S s) { tracksPlaylist(q, s); });
  server.Get(R"(/+catchup/([^/]+)\.ts)", [this](R q, S s) { catchup(q, s); });
  server.Get(R"(/+fs/([^/]+)/mpegts)", [this](R q, S s) { flussonicLive(q, s); });
  server.Get(R"(/+fs/([^/]+)/timeshift_abs-([0-9]{1,12})\.ts)", [this](R q, S s) { flussonicArchive(q, s); });
  server.Get(R"(.*/pc/forceauth)", [](R, S s) { s.set_content("<Result>1</Result>\n", kXml); });
  server.Get(R"(/+playlist\.m3u)", [this](R q, S s) { playlist(q, s, false); });
  server.Get(R"(/+playlist\.m3u\.gz)", [this](R q, S s) { playlist(q, s, true); });
  server.Get(R"(/+epg\.xml)", [this](R q, S s) { epg(q, s, false); });
  server.Get(R"(/+epg\.xml\.gz)", [this](R q, S s) { epg(q, s, true); });
  server.Get(R"(/+logo/([0-9]+)\.png)", [this](R q, S s) { logo(q, s); });
  xtream_.install(server);
  server.Get("/demo/faults", [this](R q, S s) { faultsPage(q, s); });
  server.Post("/demo/faults", [this](R q, S s) { faultsPage(q, s); });
  server.Get("/demo/records", [this](R, S s) {
    s.set_content(TextEscape::JsonArray(stats_.Records()), "application/json; charset=utf-8");
  });
  server.Delete("/demo/records", [this](R, S s) {
    stats_.Clear();
    s.set_content("cleared\n", kText);
  });
  server.Get("/demo/status", [this](R, S s) {
    s.set_content("held=" + std::to_string(shaper_.held()) + "\nstreams=" +
                      std::to_string(streamsOpen_.load()) + "\n",
                  kText);
  });
  server.Get("/demo/notice", [this](R q, S s) { noticePage(q, s); });
  server.Post("/demo/notice", [this](R q, S s) { noticePage(q, s); });
  server.Get("/", [this](R q, S s) { indexPage(q, s); });
  server.Get("/home", [this](R q, S s) { indexPage(q, s); });
}

void DemoServer::signIn(const httplib::Request& req, httplib::Response& res) {
  std::string body;
  if (!SessionBook::IsValidAck(req.get_param_value("ack")) || faults_.on(Faults::RefuseSignin)) {
    body = signInReply("", true, 0);
  } else if (faults_.on(Faults::SigninNoTags)) {
    body = signInReply("", false, 1);
  } else {
    body = signInReply(sessions_.Issue(), true, faults_.on(Faults::SigninUnconfirmed) ? 0 : 1);
  }
  shaper_.Send(res, Faults::HangSignin, Faults::SlowSignin, std::move(body), kXml);
}

const std::string& DemoServer::catalogueText() {
  std::call_once(catalogueOnce_, [this] {
    catalogue_ = CatalogueWriter::Write(data_, baseUrl() + "stream/");
  });
  return catalogue_;
}

void DemoServer::catalogue(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::HangCatalogue)) return shaper_.Hang(res);
  if (faults_.on(Faults::Catalogue404)) return ReplyShaper::Page(res, 404);
  if (faults_.on(Faults::Catalogue500)) return ReplyShaper::Page(res, 500);
  if (!sessions_.IsKnown(req.get_param_value("uuid"))) return ReplyShaper::Page(res, 403);
  std::string body = faults_.on(Faults::EmptyCatalogue) ? CatalogueWriter::Empty() : catalogueText();
  shaper_.Send(res, Faults::HangCatalogue, Faults::SlowCatalogue, std::move(body), kXml);
}

void DemoServer::guide(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::HangGuide)) return shaper_.Hang(res);
  if (faults_.on(Faults::Guide404)) return ReplyShaper::Page(res, 404);
  if (faults_.on(Faults::Guide500)) return ReplyShaper::Page(res, 500);
  if (!sessions_.IsKnown(req.get_param_value("uuid"))) return ReplyShaper::Page(res, 403);
  auto first = CivilDate::Parse(req.get_param_value("startdate"));
  auto last = req.has_param("enddate") ? CivilDate::Parse(req.get_param_value("enddate")) : first;
  long span = first && last ? first->DaysUntil(*last) : -1;
  if (span < 0 || span >= kMaxGuideDays) return ReplyShaper::Page(res, 400);
  if (faults_.on(Faults::GuideMalformed)) {
    res.set_content(GuideWriter::Malformed(data_, *first), kXml);
    return;
  }
  auto writer = std::make_shared<GuideWriter>(data_, *first, static_cast<int>(span + 1));
  if (faults_.on(Faults::SlowGuide)) {
    std::string body;
    while (writer->Next(body)) {
    }
    return shaper_.Trickle(res, std::move(body), kXml);
  }
  // No length up front: the reply ends when the connection closes, which is
  // how the client's HTTP/1.0 request reads it anyway.
  ShutdownFlag* shutdown = &shutdown_;
  res.set_content_provider(kXml, [writer, shutdown](size_t, httplib::DataSink& sink) {
    if (shutdown->triggered()) return false;
    std::string piece;
    if (!writer->Next(piece)) {
      sink.done();
      return true;
    }
    return sink.write(piece.data(), piece.size());
  });
}

void DemoServer::clock(const httplib::Request&, httplib::Response& res) {
  auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::system_clock::now().time_since_epoch())
                 .count();
  shaper_.Send(res, Faults::HangTime, Faults::SlowTime,
               std::to_string(now + options_.clockOffsetSeconds * 1000), kText);
}

void DemoServer::collected(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::HangStats)) return shaper_.Hang(res);
  if (faults_.on(Faults::Stats500)) return ReplyShaper::Page(res, 500);
  auto records = StatsCollector::Decode(req.body);
  if (!records) return ReplyShaper::Page(res, 400);
  stats_.Store(std::move(*records));
  res.set_content("OK\n", kText);
}

void DemoServer::manifest(const httplib::Request&, httplib::Response& res) {
  if (faults_.on(Faults::Ads404)) return ReplyShaper::Page(res, 404);
  if (faults_.on(Faults::Ads500)) return ReplyShaper::Page(res, 500);
  shaper_.Send(res, Faults::HangAds, Faults::SlowAds,
               AdPackages::Manifest(baseUrl(), options_.adLink, options_.adTime), kXml);
}

void DemoServer::package(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::HangAds)) return shaper_.Hang(res);
  if (faults_.on(Faults::Ads404)) return ReplyShaper::Page(res, 404);
  if (faults_.on(Faults::Ads500)) return ReplyShaper::Page(res, 500);
  const std::string* bytes = ads_.Find(req.matches[1]);
  if (!bytes) return ReplyShaper::Page(res, 404);
  shaper_.Send(res, Faults::HangAds, Faults::SlowAds, *bytes, "application/zip");
}

void DemoServer::stream(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  const DemoChannel* channel = data_.FindChannel(req.matches[1].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  // The live address with a start time appended (the playlist's "append"
  // and "shift" catch-up modes) asks for the archive.
  if (req.has_param("utc")) return catchup(req, res);
  serveStream(*channel, res);
}

void DemoServer::catchup(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  const DemoChannel* channel = data_.FindChannel(req.matches[1].str());
  if (!channel || !PlaylistWriter::HasCatchup(data_.IndexOf(*channel))) return ReplyShaper::Page(res, 404);
  const std::optional<int64_t> seconds = ArchiveStream::SecondsFromQuery(req);
  if (!seconds) return ReplyShaper::Page(res, 400);
  serveArchive(*channel, *seconds, res);
}

const DemoChannel* DemoServer::flussonicChannel(const std::string& id) const {
  const DemoChannel* channel = data_.FindChannel(id);
  if (!channel || PlaylistWriter::CatchupOf(data_.IndexOf(*channel)) != PlaylistWriter::Catchup::Flussonic)
    return nullptr;
  return channel;
}

void DemoServer::flussonicLive(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  const DemoChannel* channel = flussonicChannel(req.matches[1].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  serveStream(*channel, res);
}

void DemoServer::flussonicArchive(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  const DemoChannel* channel = flussonicChannel(req.matches[1].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  const int64_t utc = std::stoll(req.matches[2].str());
  if (utc <= 0) return ReplyShaper::Page(res, 400);
  const int64_t now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  serveArchive(*channel, ArchiveStream::SecondsSince(utc, now), res);
}

void DemoServer::serveArchive(const DemoChannel& channel, int64_t seconds, httplib::Response& res) {
  auto looper = streams_->Get(channel.id, channel.name + "\nchannel " + channel.id,
                              static_cast<uint32_t>(data_.IndexOf(channel)));
  if (!looper) return ReplyShaper::Page(res, 503);
  ArchiveStream::Serve(std::move(looper), streams_->seconds(), seconds, &shutdown_, res);
}

void DemoServer::serveStream(const DemoChannel& channel, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  auto looper = streams_->Get(channel.id, channel.name + "\nchannel " + channel.id,
                              static_cast<uint32_t>(data_.IndexOf(channel)));
  if (!looper) return ReplyShaper::Page(res, 503);

  // The loop counter moves the clock on (see TsLooper).
  servePaced(res, "video/mp2t", static_cast<double>(looper->size()) / streams_->seconds(), TsLooper::kPacket * 64,
             [looper](uint64_t n) { return looper->Loop(n); });
}

// Paced to the stream's own rate after a short burst, as a live source
// would be: block n of blockAt after block n - 1, in pieces of `piece`.
void DemoServer::servePaced(httplib::Response& res, const char* type, double bytesPerSecond, size_t piece,
                            std::function<std::string(uint64_t)> blockAt) {
  struct Cursor {
    uint64_t next = 0;
    std::string block;
    size_t at = 0;
    uint64_t sent = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  };
  auto cursor = std::make_shared<Cursor>();
  ++streamsOpen_;
  std::atomic<int>* open = &streamsOpen_;
  const double burst = 2 * bytesPerSecond;
  ShutdownFlag* shutdown = &shutdown_;
  res.set_chunked_content_provider(
      type,
      [blockAt = std::move(blockAt), cursor, bytesPerSecond, burst, piece, shutdown](size_t, httplib::DataSink& sink) {
        if (shutdown->triggered()) return false;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - cursor->start).count();
        if (static_cast<double>(cursor->sent) > burst + elapsed * bytesPerSecond) {
          shutdown->WaitFor(std::chrono::milliseconds(40));
          return true;
        }
        if (cursor->at >= cursor->block.size()) {
          cursor->block = blockAt(cursor->next++);
          cursor->at = 0;
        }
        const size_t n = std::min(piece, cursor->block.size() - cursor->at);
        if (!sink.write(cursor->block.data() + cursor->at, n)) return false;
        cursor->at += n;
        cursor->sent += n;
        return true;
      },
      [open](bool) { --*open; });
}

void DemoServer::tracksStream(const httplib::Request&, httplib::Response& res) {
  if (faults_.on(Faults::Stream404)) return ReplyShaper::Page(res, 404);
  auto looper = streams_->GetTracks();
  if (!looper) return ReplyShaper::Page(res, 503);
  // The head once, then the clusters loop after loop.
  servePaced(res, "video/x-matroska", static_cast<double>(looper->size()) / streams_->seconds(), 16384,
             [looper](uint64_t n) { return n == 0 ? looper->head() : looper->Loop(n - 1); });
}

void DemoServer::tracksPlaylist(const httplib::Request& req, httplib::Response& res) {
  streams_->PrefetchTracks();
  const std::string base = baseFor(req);
  std::string body = "#EXTM3U\n#EXTINF:-1 tvg-id=\"tracks\" group-title=\"Languages\",Two languages\n" + base +
                     "stream-tracks.mkv\n";
  const auto& channels = data_.channels();
  for (size_t i = 0; i < channels.size() && i < 3; ++i) {
    std::string name = channels[i].name;
    std::replace(name.begin(), name.end(), '\n', ' ');
    body += "#EXTINF:-1 group-title=\"Languages\"," + name + "\n" + base + "stream/" + channels[i].id + "\n";
  }
  res.set_content(body, kM3u);
}

std::string DemoServer::baseFor(const httplib::Request& req) const {
  const std::string host = req.get_header_value("Host");
  if (usableHost(host)) return "http://" + host + "/";
  if (!req.local_addr.empty() && req.local_addr.find(':') == std::string::npos && req.local_port > 0)
    return "http://" + req.local_addr + ":" + std::to_string(req.local_port) + "/";
  return baseUrl();
}

void DemoServer::playlist(const httplib::Request& req, httplib::Response& res, bool gzip) {
  if (faults_.on(Faults::PlaylistHang)) return shaper_.Hang(res);
  if (faults_.on(Faults::Playlist404)) return ReplyShaper::Page(res, 404);
  if (faults_.on(Faults::PlaylistNotM3u)) return res.set_content(portalPage(), kHtml);
  auto writer = std::make_shared<PlaylistWriter>(data_, baseFor(req), options_.playlistCrlf);
  writer->setAccount(options_.xtreamUser, options_.xtreamPassword);
  auto body = std::make_shared<PieceStream>([writer](std::string& out) { return writer->Next(out); },
                                            gzip ? PieceStream::Packing::Gzip : PieceStream::Packing::Plain);
  shaper_.Stream(res, Faults::PlaylistSlow, std::move(body), gzip ? kGzip : kM3u);
}

void DemoServer::epg(const httplib::Request& req, httplib::Response& res, bool gzip) {
  if (faults_.on(Faults::EpgHang)) return shaper_.Hang(res);
  if (faults_.on(Faults::Epg404)) return ReplyShaper::Page(res, 404);
  const char* type = gzip ? kGzip : kXml;
  if (faults_.on(Faults::EpgGarbage)) return res.set_content(garbage(), type);
  XmltvWriter::Setup setup;
  setup.first = CivilDate::Today();
  setup.days = static_cast<int>(options_.epgDays);
  setup.base = baseFor(req);
  setup.wrongOffset = faults_.on(Faults::EpgWrongTz);
  setup.truncated = faults_.on(Faults::EpgTruncated);
  auto packing = PieceStream::Packing::Plain;
  if (gzip && !faults_.on(Faults::EpgNotGzip))
    packing = setup.truncated ? PieceStream::Packing::GzipBrokenOff : PieceStream::Packing::Gzip;
  auto writer = std::make_shared<XmltvWriter>(data_, std::move(setup));
  auto body = std::make_shared<PieceStream>([writer](std::string& out) { return writer->Next(out); }, packing);
  shaper_.Stream(res, Faults::EpgSlow, std::move(body), type);
}

void DemoServer::logo(const httplib::Request& req, httplib::Response& res) {
  const DemoChannel* channel = data_.FindChannel(req.matches[1].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  const auto rgb = static_cast<uint32_t>(Rng::hash(channel->id, data_.seed()) & 0xFFFFFF);
  res.set_content(PngImage::Make(kLogoPixels, kLogoPixels, rgb), "image/png");
}

void DemoServer::faultsPage(const httplib::Request& req, httplib::Response& res) {
  if (req.method == "POST") {
    std::string problem = faults_.ApplyForm(req.body);
    if (!problem.empty()) {
      res.status = 400;
      res.set_content(problem + "\n", kText);
      return;
    }
  }
  res.set_content(faults_.Describe(), kText);
}

void DemoServer::noticePage(const httplib::Request& req, httplib::Response& res) {
  if (req.method == "POST") {
    const std::string mode = req.get_param_value("mode");
    NoticeResponder::Mode m = mode == "notice"   ? NoticeResponder::Mode::Notice
                              : mode == "forced" ? NoticeResponder::Mode::Forced
                                                 : NoticeResponder::Mode::Nothing;
    if ((mode != "nothing" && mode != "notice" && mode != "forced") ||
        !notices_.SetAnswer(m, req.get_param_value("text"))) {
      res.status = 400;
      res.set_content("want mode=nothing|notice|forced and, for a notice, text= without | ^ $\n", kText);
      return;
    }
  }
  res.set_content("answer=" + notices_.Answer() + "\nqueries=" + std::to_string(notices_.queries()) +
                      "\nresponder=" + (ns_.active() ? "udp://" + ns_.innerAddress() + ":36000" : "off") + "\n",
                  kText);
}

void DemoServer::indexPage(const httplib::Request&, httplib::Response& res) {
  std::string links;
  for (size_t i = 0; i < std::min<size_t>(data_.channels().size(), 10); ++i) {
    const DemoChannel& c = data_.channels()[i];
    links += "<li><a href=\"/stream/" + c.id + "\">" + TextEscape::Xml(c.name) + "</a></li>\n";
  }
  res.set_content(
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tembra demo service</title></head>\n"
      "<body><h1>Tembra demo service</h1>\n<p>" +
          std::to_string(data_.groups().size()) + " groups, " + std::to_string(data_.channels().size()) +
          " channels.</p>\n<p><a href=\"/demo/faults\">faults</a> &middot; <a href=\"/demo/records\">"
          "statistics records</a> &middot; <a href=\"/demo/notice\">notice</a> &middot; "
          "<a href=\"/pcad.action\">ad manifest</a> &middot; <a href=\"/playlist.m3u\">M3U playlist</a> "
          "&middot; <a href=\"/epg.xml\">XMLTV guide</a></p>\n<ul>\n" +
          links + "</ul></body></html>\n",
      kHtml);
}

}  // namespace tembra
