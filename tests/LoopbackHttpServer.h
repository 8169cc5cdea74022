#pragma once
// An HTTP server on 127.0.0.1, on a port the system picks, serving the
// handlers a test set on http() from a thread of its own between start()
// and stop() (or its end). Handlers are set before start(): the server's
// tables of them are not to change while it serves.
#include <httplib.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace tembra::test {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() = default;
  ~LoopbackHttpServer() { stop(); }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  httplib::Server& http() { return server_; }

  // Returns once the server takes connections. Throws std::runtime_error
  // when it cannot listen, so that the test stops there and says why.
  void start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot listen on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running()) {
      if (std::chrono::steady_clock::now() > deadline) {
        stop();
        throw std::runtime_error("the loopback server did not start");
      }
      std::this_thread::yield();
    }
  }
  // Waits for the requests in hand; a second call does nothing.
  void stop() {
    if (!thread_.joinable()) return;
    server_.stop();
    thread_.join();
  }

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by path.
  std::string url(const std::string& path = "") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace tembra::test
