#pragma once
// A PlayerControl that records every call in order, for the host's tests.
#include <functional>
#include <string>
#include <vector>

#include "player/PlayerControl.h"

namespace tembra::test {

class RecordingPlayerControl : public PlayerControl {
 public:
  struct Call {
    int32_t id;             // dispatch id, or one of the window ids below
    std::u16string text;
    int32_t number = 0;
    bool operator==(const Call&) const = default;
  };
  static constexpr int32_t kCreate = -1, kDestroy = -2, kShow = -3, kHide = -4;

  // The answer to QueryState(1) on poll n (0-based); default: never ready.
  std::function<int32_t(int poll)> readyAnswer = [](int) { return 0; };
  bool createSucceeds = true;
  std::vector<Call>* log;  // shared so the test still reads it after the host deleted us
  int readyPolls = 0;

  explicit RecordingPlayerControl(std::vector<Call>* shared) : log(shared) {}
  ~RecordingPlayerControl() override { log->push_back({-99, u"deleted"}); }

  void SetAddress(const std::u16string& t) override { log->push_back({SetAddressId, t}); }
  void SetChannelName(const std::u16string& t) override { log->push_back({SetChannelNameId, t}); }
  void SetAuthFirst(const std::u16string& t) override { log->push_back({SetAuthFirstId, t}); }
  void SetAuthSecond(const std::u16string& t) override { log->push_back({SetAuthSecondId, t}); }
  void SetLanguage(const std::u16string& t) override { log->push_back({SetLanguageId, t}); }
  void SetAuthUrl(const std::u16string& t) override { log->push_back({SetAuthUrlId, t}); }
  void Play() override { log->push_back({PlayId, u""}); }
  void StopPlayer() override { log->push_back({StopPlayerId, u""}); }
  int32_t QueryState(int32_t what) override {
    log->push_back({QueryStateId, u"", what});
    return what == kStateReady ? readyAnswer(readyPolls++) : 0;
  }
  void Activate() override { log->push_back({ActivateId, u""}); }
  void SetLogoPage(const std::u16string& t) override { log->push_back({SetLogoPageId, t}); }
  // Not a dispatch method: kept, not logged, so a test reports readiness
  // when it chooses (through the latest handler, or an older one).
  void SetReadyHandler(ReadyHandler handler) override { readyHandlers.push_back(std::move(handler)); }
  void reportReady(bool ready) {
    if (!readyHandlers.empty() && readyHandlers.back()) readyHandlers.back()(ready);
  }
  std::vector<ReadyHandler> readyHandlers;

  bool CreateWindow(const PlayerRect& r) override {
    log->push_back({kCreate, u"", r.left * 1000 + r.top});
    window_ = createSucceeds;
    return window_;
  }
  void DestroyWindow() override {
    log->push_back({kDestroy, u""});
    window_ = false;
  }
  bool HasWindow() const override { return window_; }
  void ShowWindow(bool show) override { log->push_back({show ? kShow : kHide, u""}); }
  QWidget* widget() override { return nullptr; }

 private:
  bool window_ = false;
};

}  // namespace tembra::test
