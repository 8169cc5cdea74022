#include "ReplyShaper.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>

namespace tembra {

namespace {
constexpr auto kTick = std::chrono::milliseconds(100);

const char* reasonOf(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}
}  // namespace

std::string ReplyShaper::PageText(int status) {
  const char* reason = reasonOf(status);
  std::string code = std::to_string(status);
  return "<!DOCTYPE html>\n<html><head><title>" + code + " " + reason +
         "</title></head>\n<body><h1>" + reason + "</h1>\n<p>The Tembra demo service answered " +
         code + ".</p></body></html>\n";
}

void ReplyShaper::Page(httplib::Response& res, int status) {
  res.status = status;
  res.set_content(PageText(status), "text/html; charset=utf-8");
}

void ReplyShaper::Hang(httplib::Response& res) {
  ++held_;
  shutdown_.WaitFor(std::chrono::seconds(hangSeconds_));
  --held_;
  Page(res, 503);
}

void ReplyShaper::Trickle(httplib::Response& res, std::string body, const std::string& contentType) {
  const size_t perTick = std::max<size_t>(1, slowRate_ / 10);
  auto text = std::make_shared<std::string>(std::move(body));
  ShutdownFlag* shutdown = &shutdown_;
  res.set_content_provider(contentType, [text, perTick, shutdown](size_t offset, httplib::DataSink& sink) {
    if (offset >= text->size()) {
      sink.done();
      return true;
    }
    if (shutdown->triggered()) return false;
    size_t n = std::min(perTick, text->size() - offset);
    if (!sink.write(text->data() + offset, n)) return false;
    shutdown->WaitFor(kTick);
    return true;
  });
}

void ReplyShaper::Stream(httplib::Response& res, Faults::Id slow, std::shared_ptr<PieceStream> body,
                         const std::string& contentType) {
  const bool trickle = faults_.on(slow);
  const size_t perCall = trickle ? std::max<size_t>(1, slowRate_ / 10) : SIZE_MAX;
  // Owned by the provider, which the one request thread calls in turn.
  struct Cursor {
    std::shared_ptr<PieceStream> body;
    std::string pending;
    size_t at = 0;
    bool more = true;
  };
  auto cursor = std::make_shared<Cursor>();
  cursor->body = std::move(body);
  ShutdownFlag* shutdown = &shutdown_;
  res.set_chunked_content_provider(contentType, [cursor, perCall, trickle, shutdown](size_t, httplib::DataSink& sink) {
    if (shutdown->triggered()) return false;
    while (cursor->at >= cursor->pending.size()) {
      if (!cursor->more) {
        sink.done();
        return true;
      }
      cursor->pending.clear();
      cursor->at = 0;
      cursor->more = cursor->body->Next(cursor->pending);
    }
    size_t n = std::min(perCall, cursor->pending.size() - cursor->at);
    if (!sink.write(cursor->pending.data() + cursor->at, n)) return false;
    cursor->at += n;
    if (trickle) shutdown->WaitFor(kTick);
    return true;
  });
}

bool ReplyShaper::Send(httplib::Response& res, Faults::Id hang, Faults::Id slow, std::string body,
                       const std::string& contentType) {
  if (faults_.on(hang)) {
    Hang(res);
    return false;
  }
  if (faults_.on(slow)) {
    Trickle(res, std::move(body), contentType);
    return false;
  }
  res.set_content(body, contentType);
  return true;
}

}  // namespace tembra
