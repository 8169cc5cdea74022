#pragma once
// A live MPEG-TS channel on 127.0.0.1: serves one clip over and over at
// its own pace (about real time, as a broadcast arrives), can be stopped,
// which drops every viewer at once, and started again on the same port.
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace tembra::test {

class LoopStreamServer {
 public:
  static constexpr int kTickMs = 40;

  // clipSeconds: the clip's playing time, for the pace.
  LoopStreamServer(const std::string& clipPath, int clipSeconds) {
    std::ifstream in(clipPath, std::ios::binary);
    clip_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const size_t perSecond = clip_.size() / static_cast<size_t>(std::max(1, clipSeconds));
    // Whole transport packets, so each write ends on a packet boundary.
    chunk_ = std::max<size_t>(188, perSecond * kTickMs / 1000 / 188 * 188);
  }
  ~LoopStreamServer() { stop(); }
  LoopStreamServer(const LoopStreamServer&) = delete;
  LoopStreamServer& operator=(const LoopStreamServer&) = delete;

  // Any free port the first time, the same one after a stop. False when
  // the clip is empty or the port cannot be had.
  bool start() {
    if (clip_.empty() || thread_.joinable()) return false;
    server_ = std::make_unique<httplib::Server>();
    auto stopping = std::make_shared<std::atomic<bool>>(false);
    stopping_ = stopping;
    server_->Get("/live.ts", [this, stopping](const httplib::Request&, httplib::Response& res) {
      ++requests_;
      res.set_chunked_content_provider(
          "video/mp2t", [this, stopping, pos = size_t{0}](size_t, httplib::DataSink& sink) mutable {
            if (stopping->load()) return false;  // the connection is cut, as when a server dies
            const size_t n = std::min(chunk_, clip_.size() - pos);
            if (!sink.write(clip_.data() + pos, n)) return false;
            pos = (pos + n) % clip_.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
            return true;
          });
    });
    if (port_ == 0) {
      const int port = server_->bind_to_any_port("127.0.0.1");
      if (port <= 0) return false;
      port_ = static_cast<uint16_t>(port);
    } else if (!server_->bind_to_port("127.0.0.1", port_)) {
      return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::yield();
    return true;
  }

  // Closes the listening socket and every stream being served.
  void stop() {
    if (!thread_.joinable()) return;
    stopping_->store(true);
    server_->stop();
    thread_.join();
    server_.reset();
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/live.ts"; }
  int requests() const { return requests_.load(); }

 private:
  std::string clip_;
  size_t chunk_ = 188;
  uint16_t port_ = 0;
  std::unique_ptr<httplib::Server> server_;
  std::shared_ptr<std::atomic<bool>> stopping_;
  std::thread thread_;
  std::atomic<int> requests_{0};
};

}  // namespace tembra::test
