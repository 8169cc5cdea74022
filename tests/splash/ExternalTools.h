#pragma once
// Runs the image tools the tests compare against: ImageMagick (always as
// /usr/bin/convert and /usr/bin/identify, since /usr/local/bin may hold a
// stand-in) and ffmpeg.
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace tembra::test {

inline const char kConvert[] = "/usr/bin/convert";
inline const char kIdentify[] = "/usr/bin/identify";
inline const char kFfmpeg[] = "/usr/bin/ffmpeg";

inline bool haveProgram(const char* path) { return ::access(path, X_OK) == 0; }

struct ToolResult {
  int status = -1;
  std::string output;
};

// Runs a shell command line, collecting its standard output.
inline ToolResult runTool(const std::string& command) {
  ToolResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  size_t n = 0;
  while ((n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    result.output.append(buffer, n);
  }
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// identify's view of one frame.
struct IdentifiedFrame {
  int canvasWidth = 0, canvasHeight = 0, width = 0, height = 0, left = 0, top = 0, delay = 0;
  std::string dispose;
};

inline std::vector<IdentifiedFrame> identifyFrames(const std::string& file) {
  std::vector<IdentifiedFrame> frames;
  const ToolResult r = runTool(std::string(kIdentify) + " -format '%W %H %w %h %X %Y %T %D\\n' '" + file + "'");
  if (r.status != 0) {
    return frames;
  }
  size_t at = 0;
  while (at < r.output.size()) {
    const size_t eol = r.output.find('\n', at);
    const std::string line = r.output.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
    at = eol == std::string::npos ? r.output.size() : eol + 1;
    IdentifiedFrame f;
    char dispose[32] = {};
    if (::sscanf(line.c_str(), "%d %d %d %d %d %d %d %31s", &f.canvasWidth, &f.canvasHeight, &f.width, &f.height,
                 &f.left, &f.top, &f.delay, dispose) >= 7) {
      f.dispose = dispose;
      frames.push_back(f);
    }
  }
  return frames;
}

// Four frames of ImageMagick's making: every disposal method, offsets, and
// delays of 7, 3, 0 and 12. False when it could not be written.
inline bool makeMagickAnimation(const std::string& file) {
  return runTool(std::string(kConvert) +
                 " -size 48x32 -delay 7 -dispose None xc:red"
                 " -dispose Background -delay 3 -page 48x32+5+6 -size 20x10 xc:blue"
                 " -dispose Previous -delay 0 -page 48x32+10+2 -size 8x8 xc:lime"
                 " -dispose None -delay 12 -page 48x32+20+20 -size 10x10 xc:yellow"
                 " -loop 0 GIF:'" + file + "'")
             .status == 0;
}

// Eight frames of ffmpeg's test picture.
inline bool makeFfmpegAnimation(const std::string& file) {
  return runTool(std::string(kFfmpeg) + " -v error -f lavfi -i testsrc=size=64x48:rate=10:duration=0.8 -y '" +
                 file + "'")
             .status == 0;
}

inline int disposalNumber(const std::string& name) {
  if (name == "None") return 1;
  if (name == "Background") return 2;
  if (name == "Previous") return 3;
  return 0;
}

}  // namespace tembra::test
