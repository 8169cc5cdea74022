#pragma once
// Shared pieces of the advertisement refresh tests: a program folder with
// its config.ini, a window that records what it is sent, and a small
// service whose manifest and files the test sets.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/MessageTarget.h"
#include "platform/Utf.h"

namespace tembra::test {

// A program folder: config.ini under a test key and the Advertise folders.
class ProgramFolder {
 public:
  ProgramFolder() : cipher_(ValueCipher::DefaultKey()), config_(dir_.file("config.ini"), cipher_) {}
  std::string path() const { return dir_.path() + "/"; }
  std::string file(const std::string& name) const { return dir_.file(name); }
  ConfigStore& config() { return config_; }
  std::u16string value(std::u16string_view key) { return config_.ReadValue(key, true); }
  std::string right() { return toUtf8(value(u"WEB_TV_AD_RIGHT")); }
  std::string pop() { return toUtf8(value(u"WEB_TV_AD_POP")); }

 private:
  TempDir dir_{"ad-program"};
  ValueCipher cipher_;
  ConfigStore config_;
};

// Records every send and what the right slot held at that moment, as the
// window reads it when it reloads its pane.
class AdRecordingWindow : public MessageTarget {
 public:
  explicit AdRecordingWindow(ConfigStore* config = nullptr) : config_(config) {}
  void post(uint32_t message, uintptr_t, intptr_t) override {
    std::lock_guard g(lock_);
    posted_.push_back(message);
  }
  intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard g(lock_);
    sent_.push_back(message);
    params_.push_back(wParam | static_cast<uintptr_t>(lParam));
    if (config_ != nullptr) seen_.push_back(toUtf8(config_->ReadValue(u"WEB_TV_AD_RIGHT", true)));
    return 0;
  }
  bool alive() const override { return alive_; }
  std::vector<uint32_t> sent() const {
    std::lock_guard g(lock_);
    return sent_;
  }
  std::vector<uint32_t> posted() const {
    std::lock_guard g(lock_);
    return posted_;
  }
  std::vector<uintptr_t> params() const {
    std::lock_guard g(lock_);
    return params_;
  }
  std::vector<std::string> seen() const {
    std::lock_guard g(lock_);
    return seen_;
  }
  std::atomic<bool> alive_{true};

 private:
  ConfigStore* config_;
  mutable std::mutex lock_;
  std::vector<uint32_t> sent_;     // guarded by lock_
  std::vector<uint32_t> posted_;   // guarded by lock_
  std::vector<uintptr_t> params_;  // guarded by lock_
  std::vector<std::string> seen_;  // guarded by lock_
};

// A service with settable replies by path; every path not set answers 404.
class AdService {
 public:
  AdService() {
    server_.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      Reply reply;
      {
        std::lock_guard g(lock_);
        requests_.push_back(req.path);
        auto it = replies_.find(req.path);
        if (it == replies_.end()) {
          res.status = 404;
          res.set_content("<html><body>Not Found</body></html>", "text/html");
          return;
        }
        reply = it->second;
      }
      if (reply.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
      res.status = reply.status;
      res.set_content(reply.body, reply.type);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~AdService() {
    server_.stop();
    thread_.join();
  }
  // "http://127.0.0.1:PORT/"
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::u16string server() const { return asciiToUtf16(base()); }
  void set(const std::string& path, std::string body, int status = 200, int delayMs = 0,
           std::string type = "application/octet-stream") {
    std::lock_guard g(lock_);
    replies_[path] = Reply{std::move(body), status, delayMs, std::move(type)};
  }
  std::vector<std::string> requests() const {
    std::lock_guard g(lock_);
    return requests_;
  }

  struct Ad {
    std::string key, type, modifyTime, filePath;
  };
  static std::string Manifest(const std::vector<Ad>& ads) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>\n";
    for (const Ad& ad : ads) {
      out += "<ad><key>" + ad.key + "</key><type>" + ad.type + "</type><modifyTime>" + ad.modifyTime +
             "</modifyTime><filePath>" + ad.filePath + "</filePath></ad>\n";
    }
    return out + "</result>\n";
  }

 private:
  struct Reply {
    std::string body;
    int status = 200;
    int delayMs = 0;
    std::string type;
  };
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex lock_;
  std::map<std::string, Reply> replies_;  // guarded by lock_
  std::vector<std::string> requests_;     // guarded by lock_
};

}  // namespace tembra::test
