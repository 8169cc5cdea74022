#pragma once
#include <QColor>
#include <QImage>
#include <set>

namespace tembra::test {

// Share of pixels in the middle half of the image that are not near-black,
// and how many distinct coarse colours they have.
inline void ColourStats(const QImage& image, double& lit, int& colours) {
  std::set<int> seen;
  int litCount = 0, total = 0;
  for (int y = image.height() / 4; y < image.height() * 3 / 4; y += 3)
    for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 3) {
      const QColor c = image.pixelColor(x, y);
      ++total;
      if (c.red() + c.green() + c.blue() > 60) ++litCount;
      seen.insert((c.red() / 64) * 16 + (c.green() / 64) * 4 + c.blue() / 64);
    }
  lit = total ? static_cast<double>(litCount) / total : 0;
  colours = static_cast<int>(seen.size());
}

}  // namespace tembra::test
