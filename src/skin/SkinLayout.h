#pragma once
// The layout model of one layout file: the control tree under <Window>,
// the window's fonts and every problem found, each with file and offset.
// No Qt: tools and tests read layouts without a display.
//
// A layout file is XML: <Window size="936,529" ...> with <Font .../>
// children and controls nested in it, one element per control, attributes
// as in SkinSchema. <Include source="File.xml"/> stands for the root
// control of another file of the same folder.
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinNode.h"
#include "skin/SkinProblem.h"

namespace tembra {

struct SkinFont {
  int id = 0;
  std::u16string face;
  int size = 12;  // pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool isDefault = false;
};

class SkinLayout {
 public:
  // Nesting deeper than this is reported and cut off, so that a hostile
  // file cannot exhaust the stack.
  static constexpr int kMaxDepth = 64;
  static constexpr int kMaxIncludeDepth = 8;

  // Reads folder/fileName (folder with or without a trailing slash).
  static SkinLayout loadFile(const std::string& folder, const std::string& fileName);
  // Parses a text as if it were the file fileName of folder (includes are
  // read from folder).
  static SkinLayout parse(std::u16string_view text, const std::string& fileName, const std::string& folder = {});

  // True when the file was read, is well-formed and its root is <Window>:
  // a window can be built from it. Problems below that level (unknown
  // controls, bad values) leave it usable and are only reported.
  bool ok() const { return ok_; }
  const std::string& fileName() const { return fileName_; }
  const SkinNode& root() const { return root_; }
  const std::vector<SkinFont>& fonts() const { return fonts_; }
  const std::vector<SkinProblem>& problems() const { return problems_; }
  const SkinNode* find(std::u16string_view name) const { return root_.find(name); }
  // Every image file name the layout refers to, each once, in order.
  std::vector<std::u16string> images() const;

 private:
  friend class SkinLayoutParser;
  bool ok_ = false;
  std::string fileName_;
  SkinNode root_;
  std::vector<SkinFont> fonts_;
  std::vector<SkinProblem> problems_;
};

}  // namespace tembra
