#include "player/PlayerHost.h"

#include <QTimer>

namespace tembra {

const std::u16string PlayerHost::kLogoFile = u"logo.html";
const std::u16string PlayerHost::kLanguage = u"en_US";
const std::u16string PlayerHost::kAuthPath = u"pc/forceauth";
const std::u16string PlayerHost::kCredential = u"vek";

PlayerHost::PlayerHost(std::unique_ptr<PlayerControl> control, int readyWaitMs)
    : control_(std::move(control)), readyWaitMs_(readyWaitMs), deadline_(std::make_unique<QTimer>()) {
  deadline_->setSingleShot(true);
  QObject::connect(deadline_.get(), &QTimer::timeout, [this] { endWait(); });
}

PlayerHost::~PlayerHost() { Release(); }

bool PlayerHost::StartPlayer(const PlayerRect& rect, const std::u16string& planBase,
                             const std::u16string& moduleFolder) {
  if (!control_) return false;
  ++start_;
  ready_ = open_ = false;
  deadline_->stop();
  if (control_->HasWindow()) {
    control_->ShowWindow(false);
    control_->DestroyWindow();
  }
  control_->CreateWindow(rect);
  // Without a window every call is skipped: there is nothing to wait for.
  if (!live()) return false;
  control_->SetLogoPage(moduleFolder + kLogoFile);
  control_->SetLanguage(kLanguage);
  if (!planBase.empty()) {
    // Joined as is: the plan entry is expected to end in a slash.
    control_->SetAuthUrl(planBase + kAuthPath);
    control_->SetAuthFirst(kCredential);
    control_->SetAuthSecond(kCredential);
  }
  const unsigned start = start_;
  control_->SetReadyHandler([this, start](bool ready) { onReady(start, ready); });
  control_->Activate();
  if (control_->QueryState(PlayerControl::kStateReady) == 1) {
    ready_ = open_ = true;
  } else {
    deadline_->start(readyWaitMs_);
  }
  control_->ShowWindow(true);
  if (open_ && pending_) {
    const Play request = *pending_;
    pending_.reset();
    play(request);
  }
  return ready_;
}

void PlayerHost::onReady(unsigned start, bool ready) {
  if (start != start_ || !live()) return;
  if (ready) ready_ = true;
  endWait();
}

// Ready, given up, or out of time: from here on plays go straight to the
// component, which shows its own failure if it cannot play.
void PlayerHost::endWait() {
  deadline_->stop();
  open_ = true;
  if (!pending_) return;
  const Play request = *pending_;
  pending_.reset();
  play(request);
}

void PlayerHost::PlayAddress(const std::u16string& address, const std::u16string& name) {
  if (!live()) return;
  if (!open_) {
    pending_ = Play{address, name};
    return;
  }
  play(Play{address, name});
}

void PlayerHost::play(const Play& request) {
  if (!live()) return;
  control_->StopPlayer();
  control_->SetAddress(u"");
  control_->SetChannelName(u"");
  control_->SetAddress(request.address);
  control_->SetChannelName(request.name);
  control_->Play();
}

void PlayerHost::StopPlayer() {
  pending_.reset();
  if (live()) control_->StopPlayer();
}

int32_t PlayerHost::QueryState(int32_t what) { return live() ? control_->QueryState(what) : 0; }

void PlayerHost::Release() {
  deadline_->stop();
  pending_.reset();
  ready_ = open_ = false;
  if (!control_) return;
  if (control_->HasWindow()) control_->StopPlayer();
  control_.reset();
}

}  // namespace tembra
