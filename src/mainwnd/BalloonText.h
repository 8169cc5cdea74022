#pragma once
#include <QString>

namespace tembra {

// The balloon's fixed-size title and text fields: a text ends at its first
// NUL, as a copy into those fields would, and is cut to at most maxUnits
// UTF-16 units, one fewer when the cut would split a surrogate pair, so a
// character is never left half there.
class BalloonText {
 public:
  static QString cut(const QString& text, int maxUnits);
};

}  // namespace tembra
