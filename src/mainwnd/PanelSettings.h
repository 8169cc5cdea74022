#pragma once
#include <optional>
#include <string>

namespace tembra {

// The viewer's own choices for the side panel, kept across starts in
// $XDG_CONFIG_HOME/tembra/window.ini (section "Panel"): the width the
// splitter was dragged to and whether channel rows show the programme on
// now. Nothing is written beside the executable. A missing, unreadable or
// nonsensical value reads as "not chosen".
class PanelSettings {
 public:
  static std::string defaultPath();

  explicit PanelSettings(std::string path);

  // The dragged width; 0 when none was chosen.
  int width() const;
  bool setWidth(int width);
  // Nothing when the viewer never chose.
  std::optional<bool> nowOnChannels() const;
  bool setNowOnChannels(bool on);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tembra
