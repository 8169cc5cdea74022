#pragma once
// Short MPEG-TS clips made with ffmpeg once per test process.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tembra::test {

inline bool HaveFfmpeg() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

// A clip of seconds with a moving test picture and a tone; empty when it
// cannot be made.
inline std::string MpegTsClip(int seconds, const std::string& tag = "clip") {
  const std::string dir = "/tmp/tembra-player-media-" + std::to_string(getuid());
  std::filesystem::create_directories(dir);
  const std::string file = dir + "/" + tag + "-" + std::to_string(seconds) + ".ts";
  if (std::filesystem::exists(file) && std::filesystem::file_size(file) > 0) return file;
  // Test processes run side by side: each writes a file of its own and
  // renames it into place.
  const std::string part = file + "." + std::to_string(getpid()) + ".part.ts";
  const std::string cmd = "ffmpeg -hide_banner -nostdin -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 "
                          "-f lavfi -i sine=frequency=440:sample_rate=48000 -t " + std::to_string(seconds) +
                          " -c:v mpeg2video -g 25 -c:a mp2 -f mpegts '" + part + "'";
  if (std::system(cmd.c_str()) != 0) return {};
  std::filesystem::rename(part, file);
  return file;
}

}  // namespace tembra::test
