#include "player/PlayerHost.h"

#include <chrono>
#include <thread>

namespace tembra {

const std::u16string PlayerHost::kLogoFile = u"logo.html";
const std::u16string PlayerHost::kLanguage = u"en_US";
const std::u16string PlayerHost::kAuthPath = u"pc/forceauth";
const std::u16string PlayerHost::kCredential = u"vek";

PlayerHost::PlayerHost(std::unique_ptr<PlayerControl> control, Sleep sleep)
    : control_(std::move(control)), sleep_(std::move(sleep)) {
  if (!sleep_) sleep_ = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

PlayerHost::~PlayerHost() { Release(); }

bool PlayerHost::StartPlayer(const PlayerRect& rect, const std::u16string& planBase,
                             const std::u16string& moduleFolder) {
  if (!control_) return false;
  if (control_->HasWindow()) {
    control_->ShowWindow(false);
    control_->DestroyWindow();
  }
  control_->CreateWindow(rect);
  if (live()) {
    control_->SetLogoPage(moduleFolder + kLogoFile);
    control_->SetLanguage(kLanguage);
    if (!planBase.empty()) {
      // Joined as is: the plan entry is expected to end in a slash.
      control_->SetAuthUrl(planBase + kAuthPath);
      control_->SetAuthFirst(kCredential);
      control_->SetAuthSecond(kCredential);
    }
    control_->Activate();
  }
  // Polls are counted rather than timed, so a slow answer from the
  // component does not shorten the wait.
  int waited = 0;
  int32_t answer = QueryState(PlayerControl::kStateReady);
  while (answer != 1 && waited < kReadyWaitMs) {
    sleep_(kReadyPollMs);
    waited += kReadyPollMs;
    answer = QueryState(PlayerControl::kStateReady);
  }
  if (live()) control_->ShowWindow(true);
  return answer == 1;
}

void PlayerHost::PlayAddress(const std::u16string& address, const std::u16string& name) {
  if (!live()) return;
  control_->StopPlayer();
  control_->SetAddress(u"");
  control_->SetChannelName(u"");
  control_->SetAddress(address);
  control_->SetChannelName(name);
  control_->Play();
}

void PlayerHost::StopPlayer() {
  if (live()) control_->StopPlayer();
}

int32_t PlayerHost::QueryState(int32_t what) { return live() ? control_->QueryState(what) : 0; }

void PlayerHost::Release() {
  if (!control_) return;
  if (control_->HasWindow()) control_->StopPlayer();
  control_.reset();
}

}  // namespace tembra
