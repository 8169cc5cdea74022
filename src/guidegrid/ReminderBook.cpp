#include "guidegrid/ReminderBook.h"

#include <algorithm>
#include <ctime>

#include "platform/Utf.h"

namespace tembra {

bool ReminderBook::add(Reminder reminder) {
  if (has(reminder.channelId, reminder.start) || reminders_.size() >= kMax) return false;
  auto at = std::upper_bound(reminders_.begin(), reminders_.end(), reminder.start,
                             [](int64_t s, const Reminder& r) { return s < r.start; });
  reminders_.insert(at, std::move(reminder));
  return true;
}

bool ReminderBook::remove(std::u16string_view channelId, int64_t start) {
  auto it = std::find_if(reminders_.begin(), reminders_.end(),
                         [&](const Reminder& r) { return r.start == start && r.channelId == channelId; });
  if (it == reminders_.end()) return false;
  reminders_.erase(it);
  return true;
}

bool ReminderBook::has(std::u16string_view channelId, int64_t start) const {
  return std::any_of(reminders_.begin(), reminders_.end(),
                     [&](const Reminder& r) { return r.start == start && r.channelId == channelId; });
}

std::vector<Reminder> ReminderBook::takeDue(int64_t now) {
  std::vector<Reminder> due;
  auto it = reminders_.begin();
  for (; it != reminders_.end() && it->start - kLead <= now; ++it)
    if (now - it->start <= kStaleAfter) due.push_back(std::move(*it));
  reminders_.erase(reminders_.begin(), it);
  return due;
}

std::optional<int64_t> ReminderBook::nextDue() const {
  if (reminders_.empty()) return std::nullopt;
  return reminders_.front().start - kLead;
}

std::u16string ReminderBook::message(const Reminder& reminder, int64_t now) {
  std::tm fields{};
  const std::time_t t = static_cast<std::time_t>(reminder.start);
  localtime_r(&t, &fields);
  char clock[16];
  const size_t n = std::strftime(clock, sizeof clock, "%H:%M", &fields);
  const std::u16string at = fromUtf8(std::string_view(clock, n));
  const std::u16string title = reminder.title.empty() ? u"A programme" : reminder.title;
  if (reminder.start <= now) return title + u" started at " + at + u" on " + reminder.channelName + u".";
  return title + u" starts in a minute on " + reminder.channelName + u" (" + at + u").";
}

}  // namespace tembra
