#pragma once
#include <functional>
#include <memory>

#include "player/PlayerControl.h"

namespace tembra {

// The player component as the main window hosts it: every call goes on to
// the component unchanged, and its window becomes a child of the main
// window's video slot the moment it exists, before anyone can show it, so
// it never appears on the desktop as a window of its own.
class EmbeddedPlayerControl : public PlayerControl {
 public:
  // Puts the component's freshly made widget in its place.
  using Place = std::function<void(QWidget*)>;

  EmbeddedPlayerControl(std::unique_ptr<PlayerControl> component, Place place);
  ~EmbeddedPlayerControl() override;

  void SetAddress(const std::u16string& address) override;
  void SetChannelName(const std::u16string& name) override;
  void SetAuthFirst(const std::u16string& value) override;
  void SetAuthSecond(const std::u16string& value) override;
  void SetLanguage(const std::u16string& language) override;
  void SetAuthUrl(const std::u16string& url) override;
  void SetRequestHeaders(const std::string& userAgent, const std::string& referrer) override;
  void Play() override;
  void StopPlayer() override;
  int32_t QueryState(int32_t what) override;
  void Activate() override;
  void SetLogoPage(const std::u16string& path) override;
  void SetReadyHandler(ReadyHandler handler) override;
  void SetPaused(bool paused) override;
  bool IsPaused() const override;
  int Volume() const override;
  void SetVolume(int volume) override;
  void SetChangeHandler(ChangeHandler handler) override;

  bool CreateWindow(const PlayerRect& rect) override;
  void DestroyWindow() override;
  bool HasWindow() const override;
  void ShowWindow(bool show) override;
  QWidget* widget() override;

  Transport TransportState() const override;
  void SeekTo(double position) override;
  bool StartRecording(const std::string& path) override;
  void StopRecording() override;
  bool IsRecording() const override;

  PlayerControl& component() { return *component_; }

 private:
  std::unique_ptr<PlayerControl> component_;
  Place place_;
};

}  // namespace tembra
