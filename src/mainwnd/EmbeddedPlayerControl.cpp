#include "mainwnd/EmbeddedPlayerControl.h"

namespace tembra {

EmbeddedPlayerControl::EmbeddedPlayerControl(std::unique_ptr<PlayerControl> component, Place place)
    : component_(std::move(component)), place_(std::move(place)) {}

EmbeddedPlayerControl::~EmbeddedPlayerControl() = default;

void EmbeddedPlayerControl::SetAddress(const std::u16string& a) { component_->SetAddress(a); }
void EmbeddedPlayerControl::SetChannelName(const std::u16string& n) { component_->SetChannelName(n); }
void EmbeddedPlayerControl::SetAuthFirst(const std::u16string& v) { component_->SetAuthFirst(v); }
void EmbeddedPlayerControl::SetAuthSecond(const std::u16string& v) { component_->SetAuthSecond(v); }
void EmbeddedPlayerControl::SetLanguage(const std::u16string& l) { component_->SetLanguage(l); }
void EmbeddedPlayerControl::SetAuthUrl(const std::u16string& u) { component_->SetAuthUrl(u); }
void EmbeddedPlayerControl::SetRequestHeaders(const std::string& userAgent, const std::string& referrer) {
  component_->SetRequestHeaders(userAgent, referrer);
}
void EmbeddedPlayerControl::Play() { component_->Play(); }
void EmbeddedPlayerControl::StopPlayer() { component_->StopPlayer(); }
int32_t EmbeddedPlayerControl::QueryState(int32_t what) { return component_->QueryState(what); }
void EmbeddedPlayerControl::Activate() { component_->Activate(); }
void EmbeddedPlayerControl::SetLogoPage(const std::u16string& p) { component_->SetLogoPage(p); }
void EmbeddedPlayerControl::SetReadyHandler(ReadyHandler h) { component_->SetReadyHandler(std::move(h)); }
void EmbeddedPlayerControl::SetPaused(bool paused) { component_->SetPaused(paused); }
bool EmbeddedPlayerControl::IsPaused() const { return component_->IsPaused(); }
int EmbeddedPlayerControl::Volume() const { return component_->Volume(); }
void EmbeddedPlayerControl::SetVolume(int volume) { component_->SetVolume(volume); }
void EmbeddedPlayerControl::SetChangeHandler(ChangeHandler h) { component_->SetChangeHandler(std::move(h)); }

bool EmbeddedPlayerControl::CreateWindow(const PlayerRect& rect) {
  const bool made = component_->CreateWindow(rect);
  if (QWidget* w = component_->widget(); w != nullptr && place_) place_(w);
  return made;
}

void EmbeddedPlayerControl::DestroyWindow() { component_->DestroyWindow(); }
bool EmbeddedPlayerControl::HasWindow() const { return component_->HasWindow(); }
void EmbeddedPlayerControl::ShowWindow(bool show) { component_->ShowWindow(show); }
QWidget* EmbeddedPlayerControl::widget() { return component_->widget(); }

PlayerControl::Transport EmbeddedPlayerControl::TransportState() const { return component_->TransportState(); }
void EmbeddedPlayerControl::SeekTo(double position) { component_->SeekTo(position); }
bool EmbeddedPlayerControl::StartRecording(const std::string& path) { return component_->StartRecording(path); }
void EmbeddedPlayerControl::StopRecording() { component_->StopRecording(); }
bool EmbeddedPlayerControl::IsRecording() const { return component_->IsRecording(); }

}  // namespace tembra
