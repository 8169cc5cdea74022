#pragma once
#include <cstdint>
#include <mutex>

namespace tembra {

// A local date and time, field by field as the guide keeps it.
struct LocalTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1-12
  uint16_t dayOfWeek = 0;  // 0 Sunday
  uint16_t day = 0;        // 1-31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t millisecond = 0;
};

// Where the guide reads the local time. The guide's threads call Now() too,
// so implementations must be safe to call from any thread.
class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalTime Now() const = 0;
};

// The machine's local time zone.
class SystemClock : public LocalClock {
 public:
  LocalTime Now() const override;
  static const SystemClock& Instance();
};

// A clock that shows whatever it was last set to (tools that query the
// guide "as at" a given time, tests that stand on a given day).
class FixedClock : public LocalClock {
 public:
  explicit FixedClock(LocalTime time) : time_(time) {}
  LocalTime Now() const override;
  void Set(LocalTime time);

 private:
  mutable std::mutex lock_;
  LocalTime time_;  // guarded by lock_
};

}  // namespace tembra
