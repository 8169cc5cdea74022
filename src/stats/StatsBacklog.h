#pragma once
#include <string>
#include <vector>

namespace tembra {

// "bi.dat": records not yet accepted by the statistics server, one per line
// in UTF-8, each ended by a single line feed. Appended to at shutdown, read
// back and deleted by the next run.
class StatsBacklog {
 public:
  static constexpr const char* kFileName = "bi.dat";

  // The complete lines of the file (empty ones skipped), then deletes it. A
  // last line without its line feed was cut short by a crash while it was
  // written and is dropped. A carriage return before a line feed stays part
  // of its record. Nothing (and no deletion) when the file cannot be read.
  static std::vector<std::u16string> Load(const std::string& path);

  // Appends each record as one line, oldest first, each written and flushed
  // on its own and the file synced at the end, so a crash keeps every line
  // written before it. A line feed inside a record would split it into two
  // lines and is written as a space. A torn last line left in the file by an
  // earlier crash is cut off first so the next line does not run into it.
  // False when the file cannot be opened or a write fails.
  static bool Append(const std::string& path, const std::vector<std::u16string>& records);
};

}  // namespace tembra
