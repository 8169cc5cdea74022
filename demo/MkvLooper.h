#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

// Turns one Matroska file into an endless live stream: the head (EBML
// header, a segment of unknown size, the segment's info without its
// duration, and the tracks) once, then the file's clusters again and again
// with each cluster's timestamp moved on by one file length per loop. Seek
// index, cues and tags are left out: a live stream has none. A file whose
// elements do not parse (or hold no cluster) is not loopable.
class MkvLooper {
 public:
  // file: the whole Matroska file; seconds: its length.
  MkvLooper(const std::string& file, uint32_t seconds);

  bool valid() const { return valid_; }
  const std::string& head() const { return head_; }
  // Every cluster of loop n.
  std::string Loop(uint64_t n) const;
  // Bytes of one loop, for pacing.
  size_t size() const { return loopBytes_; }

 private:
  struct Cluster {
    uint64_t timestamp = 0;
    std::string rest;  // the cluster's children after its timestamp
  };

  bool parse(const std::string& file);

  bool valid_ = false;
  std::string head_;
  std::vector<Cluster> clusters_;
  uint64_t timestampScale_ = 1000000;  // ns per timestamp tick
  uint64_t period_ = 0;                // one file length, in ticks
  size_t loopBytes_ = 0;
};

}  // namespace tembra
