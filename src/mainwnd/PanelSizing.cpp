#include "mainwnd/PanelSizing.h"

#include <algorithm>

namespace tembra {

int PanelSizing::listFor(int panel) {
  return std::clamp(kBaseList + (panel - kBasePanel) * kListSharePercent / 100, kBaseList, kListCap);
}

PanelSizing::Widths PanelSizing::forWindow(int windowWidth, int wanted) {
  const int most = std::max(kBasePanel, windowWidth - kMinRest);
  const int automatic = std::min(kAutoCap, kBasePanel + std::max(0, windowWidth - kBaseWindow) * kAutoSharePercent / 100);
  const int panel = std::clamp(wanted > 0 ? wanted : automatic, kBasePanel, most);
  return {panel, listFor(panel)};
}

int PanelSizing::fromSplitter(int windowWidth, int splitterLeft, int borderWidth, int splitterWidth) {
  return windowWidth - borderWidth - splitterWidth - splitterLeft;
}

int PanelSizing::detailsFor(int windowHeight) {
  return std::clamp(kBaseDetails + (windowHeight - kBaseHeight) * kDetailsSharePercent / 100, kBaseDetails, kDetailsCap);
}

}  // namespace tembra
