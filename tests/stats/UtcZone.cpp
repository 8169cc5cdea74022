// The statistics unit tests compare record texts with literal local times:
// this test program runs in UTC on every machine.
#include <stdlib.h>
#include <time.h>

namespace {
const bool kUtcPinned = [] {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  return true;
}();
}  // namespace
