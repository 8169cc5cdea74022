#include "player/ReconnectBackoff.h"

namespace tembra {

int ReconnectBackoff::DelayMs(int attempt) {
  int delay = kFirstMs;
  // Doubled step by step rather than shifted, so a huge count cannot
  // overflow on its way to the cap.
  for (int i = 0; i < attempt && delay < kMaxMs; ++i) delay *= 2;
  return delay < kMaxMs ? delay : kMaxMs;
}

}  // namespace tembra
