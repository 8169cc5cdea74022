#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// One thing wrong with a skin: where (file, offset in characters of the
// decoded text, line and column from 1) and what.
struct SkinProblem {
  std::string file;
  uint32_t offset = 0;
  int line = 0;
  int column = 0;
  std::string message;
  // "MainUI.xml:12:5: unknown control type 'Buton'"
  std::string toString() const;
};

}  // namespace tembra
