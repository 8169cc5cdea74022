#pragma once
// Shared pieces of the advertisement refresh tests: a program folder with
// its config.ini, a window that records what it is sent, and a small
// service whose manifest and files the test sets.
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/ConfigStore.h"
#include "app/ValueCipher.h"
#include "platform/RecordingWindow.h"
#include "platform/ReplyServer.h"
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

// Records every message and what the right slot held at each send, as the
// window reads it when it reloads its pane.
class AdRecordingWindow : public RecordingWindow {
 public:
  explicit AdRecordingWindow(ConfigStore* config) {
    onSend = [config](uint32_t, uintptr_t, intptr_t) { return toUtf8(config->ReadValue(u"WEB_TV_AD_RIGHT", true)); };
  }
  std::vector<uint32_t> sentIds() const {
    std::vector<uint32_t> out;
    for (const Message& m : sent()) out.push_back(m.id);
    return out;
  }
  std::vector<std::string> seen() const {
    std::vector<std::string> out;
    for (const Message& m : sent()) out.push_back(m.seen);
    return out;
  }
};

// The operator's service as far as the ads go: replies set by path, and
// the manifest body of a list of ads.
class AdService : public ReplyServer {
 public:
  // "http://127.0.0.1:PORT/"
  std::string base() const { return url("/"); }
  std::u16string server() const { return asciiToUtf16(base()); }

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
};

}  // namespace tembra::test
