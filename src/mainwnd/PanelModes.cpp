#include "mainwnd/PanelModes.h"

namespace tembra {

std::optional<PanelModes::Change> PanelModes::hidePanel(WindowState& s, PixelSize current,
                                                        bool maximised) {
  if (!s.panelShown) return std::nullopt;
  s.panelShown = false;
  Change change{{s.minWidth - s.panelWidth, s.minHeight},
                {maximised ? current.width : current.width - s.panelWidth, current.height}};
  s.panelWidth = 0;
  return change;
}

std::optional<PanelModes::Change> PanelModes::showPanel(WindowState& s, PixelSize current,
                                                        bool maximised) {
  if (s.panelShown) return std::nullopt;
  s.panelShown = true;
  s.panelWidth = s.savedPanelWidth;
  return Change{{s.minWidth, s.minHeight},
                {maximised ? current.width : current.width + s.panelWidth, current.height}};
}

PixelSize PanelModes::minimumSize(const WindowState& s) {
  return {s.panelShown ? s.minWidth : s.minWidth - s.savedPanelWidth, s.minHeight};
}

void PanelModes::rememberRestoreSize(WindowState& s, PixelSize client) {
  s.restoreWidth = client.width;
  s.restoreHeight = client.height;
}

void PanelModes::afterMaximise(WindowState& s) { s.panelShownAtMaximise = s.panelShown; }

std::optional<PixelSize> PanelModes::afterRestore(const WindowState& s) {
  if (s.panelShown && !s.panelShownAtMaximise)
    return PixelSize{s.restoreWidth + s.savedPanelWidth, s.restoreHeight};
  if (!s.panelShown && s.panelShownAtMaximise)
    return PixelSize{s.restoreWidth - s.savedPanelWidth, s.restoreHeight};
  return std::nullopt;
}

}  // namespace tembra
