#pragma once
// An HTTP server on 127.0.0.1 whose replies the test sets by path; a path
// not set answers 404 with an HTML page. It records the target (path and
// query) of every request.
#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackHttpServer.h"

namespace tembra::test {

class ReplyServer {
 public:
  ReplyServer() {
    server_.http().Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      Reply reply{"<html><body>Not Found</body></html>", 404, 0, "text/html"};
      {
        std::lock_guard g(lock_);
        targets_.push_back(req.target);
        if (auto it = replies_.find(req.path); it != replies_.end()) reply = it->second;
      }
      if (reply.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
      res.status = reply.status;
      res.set_content(reply.body, reply.type);
    });
    server_.start();
  }

  void stop() { server_.stop(); }

  uint16_t port() const { return static_cast<uint16_t>(server_.port()); }
  // "http://127.0.0.1:PORT" followed by path.
  std::string url(const std::string& path = "") const { return server_.url(path); }

  void set(const std::string& path, std::string body, int status = 200, int delayMs = 0,
           std::string type = "application/octet-stream") {
    std::lock_guard g(lock_);
    replies_[path] = Reply{std::move(body), status, delayMs, std::move(type)};
  }

  // Every request's target, or those whose path is path.
  std::vector<std::string> targets(const std::string& path = "") const {
    std::lock_guard g(lock_);
    std::vector<std::string> out;
    for (const std::string& t : targets_)
      if (path.empty() || t.substr(0, t.find('?')) == path) out.push_back(t);
    return out;
  }

 private:
  struct Reply {
    std::string body;
    int status;
    int delayMs;
    std::string type;
  };
  mutable std::mutex lock_;
  std::map<std::string, Reply> replies_;  // guarded by lock_
  std::vector<std::string> targets_;      // guarded by lock_
  LoopbackHttpServer server_;             // last: it stops before what its handlers use goes
};

}  // namespace tembra::test
