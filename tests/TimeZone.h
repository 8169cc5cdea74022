#pragma once
// Sets TZ (for this process and the programs it starts) for the life of
// the object and then puts back what was there, unset included, however
// the test ends (a failed ASSERT included).
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

namespace tembra::test {

class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = ::getenv("TZ")) old_ = old;
    use(zone);
  }
  ~TimeZone() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

  // Another zone until the next one or the end.
  void use(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

}  // namespace tembra::test
