#pragma once
#include <cstddef>
#include <string>

#include "CivilDate.h"
#include "DemoData.h"

namespace tembra {

// The guide reply of /tvitem.action, written piece by piece so that a large
// line-up is streamed rather than built in memory: one <tv> per guide
// channel with its programmes for the requested days, back to back.
class GuideWriter {
 public:
  GuideWriter(const DemoData& data, CivilDate first, int days);

  // Appends the next piece to out; false once everything was written.
  bool Next(std::string& out);
  // A reply cut off in the middle of an element, nothing closed after it.
  static std::string Malformed(const DemoData& data, CivilDate first);

 private:
  void writeChannel(const GuideChannel& channel, std::string& out) const;

  const DemoData& data_;
  CivilDate first_;
  int days_;
  size_t next_ = 0;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace tembra
