#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// A programme the viewer wants to be told about before it starts.
struct Reminder {
  std::u16string channelId;
  std::u16string channelName;
  std::u16string title;
  int64_t start = 0;  // UTC seconds

  bool operator==(const Reminder&) const = default;
};

// The reminders set in the guide grid, told once each a minute before their
// programme starts. A reminder whose programme began long ago when it came
// due (the machine slept through it) is dropped unannounced. Bounded.
class ReminderBook {
 public:
  static constexpr int64_t kLead = 60;
  static constexpr int64_t kStaleAfter = 15 * 60;
  static constexpr size_t kMax = 500;

  // False when one for the same channel and start is held, or the book is full.
  bool add(Reminder reminder);
  bool remove(std::u16string_view channelId, int64_t start);
  bool has(std::u16string_view channelId, int64_t start) const;
  const std::vector<Reminder>& all() const { return reminders_; }  // by start
  bool empty() const { return reminders_.empty(); }

  // Takes out every reminder due at now, earliest first (stale ones go
  // without being returned).
  std::vector<Reminder> takeDue(int64_t now);
  // When the next one is due; nothing with none held.
  std::optional<int64_t> nextDue() const;

  // What the notification says: "News starts in a minute on Channel One
  // (21:35)." / "... started at 21:35 on ..." when it is already on.
  static std::u16string message(const Reminder& reminder, int64_t now);

 private:
  std::vector<Reminder> reminders_;
};

}  // namespace tembra
