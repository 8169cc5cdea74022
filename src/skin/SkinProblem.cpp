#include "skin/SkinProblem.h"

namespace tembra {

std::string SkinProblem::toString() const {
  std::string out = file;
  if (line > 0) out += ":" + std::to_string(line) + ":" + std::to_string(column);
  out += ": " + message;
  return out;
}

}  // namespace tembra
