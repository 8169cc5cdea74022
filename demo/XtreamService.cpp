#include "XtreamService.h"

#include <chrono>
#include <memory>

#include "PieceStream.h"
#include "PlaylistWriter.h"
#include "TextEscape.h"

namespace tembra {

namespace {

// With its charset named, the HTTP library leaves a reply uncompressed: its
// compression of a streamed body is far slower than any client's download.
constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kGuide = "application/xml; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr size_t kStreamsPerPiece = 256;

int64_t nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A number written as a number, or as a string the way many servers do.
std::string number(int64_t value, bool asString) {
  return asString ? "\"" + std::to_string(value) + "\"" : std::to_string(value);
}

}  // namespace

XtreamService::XtreamService(const DemoData& data, const DemoOptions& options, const Faults& faults,
                             ReplyShaper& shaper, Hooks hooks)
    : data_(data), options_(options), faults_(faults), shaper_(shaper), hooks_(std::move(hooks)) {}

void XtreamService::install(httplib::Server& server) {
  using R = const httplib::Request&;
  using S = httplib::Response&;
  server.Get(R"(/+player_api\.php)", [this](R q, S s) { api(q, s); });
  server.Get(R"(/+xmltv\.php)", [this](R q, S s) { xmltv(q, s); });
  server.Get(R"(/+live/([^/]+)/([^/]+)/([0-9]+)\.ts)", [this](R q, S s) { stream(q, s); });
  server.Get(R"(/+timeshift/([^/]+)/([^/]+)/([0-9]{1,4})/[0-9]{4}-[0-9]{2}-[0-9]{2}:[0-9]{2}-[0-9]{2}/([0-9]+)\.ts)",
             [this](R q, S s) { archive(q, s); });
}

bool XtreamService::known(const std::string& user, const std::string& password) const {
  return user == options_.xtreamUser && password == options_.xtreamPassword;
}

std::string XtreamService::account(const std::string& base, bool expired) const {
  const int64_t now = nowSeconds();
  const int64_t end = expired ? now - 86400 : now + 30 * 86400;
  std::string host = base.substr(base.find("://") + 3);
  host = host.substr(0, host.find('/'));
  const std::string port = host.find(':') == std::string::npos ? "80" : host.substr(host.find(':') + 1);
  host = host.substr(0, host.find(':'));
  return "{\"user_info\": {\"username\": " + TextEscape::JsonString(options_.xtreamUser) +
         ", \"password\": " + TextEscape::JsonString(options_.xtreamPassword) +
         ", \"message\": \"Welcome to the Tembra demo\", \"auth\": 1, \"status\": \"" +
         (expired ? "Expired" : "Active") + "\", \"exp_date\": \"" + std::to_string(end) +
         "\", \"is_trial\": \"0\", \"active_cons\": \"0\", \"created_at\": \"" + std::to_string(now - 86400 * 100) +
         "\", \"max_connections\": \"1\", \"allowed_output_formats\": [\"m3u8\", \"ts\"]}, "
         "\"server_info\": {\"url\": " +
         TextEscape::JsonString(host) + ", \"port\": " + TextEscape::JsonString(port) +
         ", \"server_protocol\": \"http\", \"timezone\": \"UTC\", \"timestamp_now\": " + std::to_string(now) + "}}\n";
}

std::string XtreamService::categories(bool wrongShape) const {
  std::string out = wrongShape ? "{" : "[";
  for (size_t g = 0; g < data_.groups().size(); ++g) {
    const DemoGroup& group = data_.groups()[g];
    if (g) out += ",";
    if (wrongShape) out += "\"" + group.id + "\": ";
    out += "{\"category_id\": \"" + group.id + "\", \"category_name\": " + TextEscape::JsonString(group.name) +
           ", \"parent_id\": 0}";
  }
  out += wrongShape ? "}\n" : "]\n";
  return out;
}

std::string XtreamService::stream(size_t index, const std::string& base, bool wrongShape) const {
  const DemoChannel& c = data_.channels()[index];
  const DemoGroup& group = data_.groups()[c.group];
  const bool strings = index % 2 == 1;
  std::string out;
  if (wrongShape) out += "\"" + c.id + "\": ";
  out += "{\"num\": " + number(static_cast<int64_t>(index + 1), strings) + ", \"name\": " + TextEscape::JsonString(c.name) +
         ", \"stream_type\": \"live\", \"stream_id\": " + number(std::stoll(c.id), strings) +
         ", \"stream_icon\": " + TextEscape::JsonString(base + "logo/" + c.id + ".png") +
         ", \"epg_channel_id\": " + (PlaylistWriter::HasGuideId(index) ? TextEscape::JsonString(c.id) : "null") +
         ", \"added\": \"1700000000\", \"category_id\": \"" + group.id + "\", \"custom_sid\": null" +
         ", \"tv_archive\": " + number(HasArchive(index) ? 1 : 0, strings) +
         ", \"direct_source\": \"\", \"tv_archive_duration\": " + number(HasArchive(index) ? kArchiveDays : 0, strings) +
         "}";
  return out;
}

// A large line-up's list runs to tens of megabytes: it goes out in pieces
// as it is written, so the first bytes leave at once.
void XtreamService::streams(httplib::Response& res, const std::string& base, const std::string& category,
                            bool wrongShape) {
  struct Cursor {
    size_t next = 0;
    bool started = false;
    bool first = true;
  };
  auto cursor = std::make_shared<Cursor>();
  auto body = std::make_shared<PieceStream>(
      [this, cursor, base, category, wrongShape](std::string& out) {
        const auto& channels = data_.channels();
        if (!cursor->started) {
          cursor->started = true;
          out += wrongShape ? "{" : "[";
          return true;
        }
        if (cursor->next > channels.size()) return false;
        if (cursor->next == channels.size()) {
          out += wrongShape ? "}\n" : "]\n";
          ++cursor->next;
          return true;
        }
        for (size_t end = std::min(channels.size(), cursor->next + kStreamsPerPiece); cursor->next < end;
             ++cursor->next) {
          if (!category.empty() && category != data_.groups()[channels[cursor->next].group].id) continue;
          if (!cursor->first) out += ",";
          cursor->first = false;
          out += stream(cursor->next, base, wrongShape);
        }
        return true;
      },
      PieceStream::Packing::Plain);
  shaper_.Stream(res, Faults::XtreamSlow, std::move(body), kJson);
}

void XtreamService::send(httplib::Response& res, std::string body) {
  if (faults_.on(Faults::XtreamSlow)) return shaper_.Trickle(res, std::move(body), kJson);
  res.set_content(std::move(body), kJson);
}

void XtreamService::api(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::XtreamHang)) return shaper_.Hang(res);
  if (faults_.on(Faults::XtreamBadJson)) {
    return res.set_content("<html><body><h1>Service temporarily unavailable</h1></body></html>\n", kHtml);
  }
  if (faults_.on(Faults::XtreamRefused) ||
      !known(req.get_param_value("username"), req.get_param_value("password"))) {
    // What real servers answer for wrong credentials: a 200 with auth 0.
    return send(res, "{\"user_info\": {\"auth\": 0}}\n");
  }
  const std::string action = req.get_param_value("action");
  const bool wrongShape = faults_.on(Faults::XtreamWrongShape);
  if (action.empty()) return send(res, account(hooks_.base(req), faults_.on(Faults::XtreamExpired)));
  if (faults_.on(Faults::XtreamExpired)) return send(res, "[]\n");
  if (action == "get_live_categories") return send(res, categories(wrongShape));
  if (action == "get_live_streams")
    return streams(res, hooks_.base(req), req.get_param_value("category_id"), wrongShape);
  send(res, "[]\n");
}

void XtreamService::xmltv(const httplib::Request& req, httplib::Response& res) {
  if (faults_.on(Faults::XtreamHang)) return shaper_.Hang(res);
  if (!known(req.get_param_value("username"), req.get_param_value("password"))) return ReplyShaper::Page(res, 403);
  hooks_.guide(req, res);
  if (res.status == -1 || res.status == 200) {
    res.headers.erase("Content-Type");
    res.set_header("Content-Type", kGuide);
  }
}

void XtreamService::stream(const httplib::Request& req, httplib::Response& res) {
  if (!known(req.matches[1].str(), req.matches[2].str())) return ReplyShaper::Page(res, 403);
  const DemoChannel* channel = data_.FindChannel(req.matches[req.matches.size() - 1].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  hooks_.stream(*channel, res);
}

void XtreamService::archive(const httplib::Request& req, httplib::Response& res) {
  if (!known(req.matches[1].str(), req.matches[2].str())) return ReplyShaper::Page(res, 403);
  const DemoChannel* channel = data_.FindChannel(req.matches[4].str());
  if (!channel) return ReplyShaper::Page(res, 404);
  const int64_t minutes = std::stoll(req.matches[3].str());
  if (minutes <= 0 || !HasArchive(data_.IndexOf(*channel))) return ReplyShaper::Page(res, 404);
  if (hooks_.archive) hooks_.archive(*channel, minutes * 60, res);
  else hooks_.stream(*channel, res);
}

}  // namespace tembra
