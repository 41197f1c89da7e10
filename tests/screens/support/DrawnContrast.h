#pragma once

// How a text reads as it is really drawn, from a picture of the widget: its ground is the
// colour drawn most in the area, its text the colour that stands out most from that ground.
// Small type is antialiased into strokes that fall short of the colour they are drawn in, so
// a test holds the text by that strongest pixel, within the area of the text alone.

#include "screens/kit/Style.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <algorithm>
#include <map>

namespace tarnik::testing {

struct DrawnContrast {
  QColor ground;
  double text = 1;
};

inline DrawnContrast drawnContrast(const QImage &image, const QRect &area) {
  std::map<QRgb, int> counts;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y)];
  DrawnContrast drawn;
  if (counts.empty()) return drawn;
  drawn.ground = QColor::fromRgb(
      std::ranges::max_element(counts, {}, [](const auto &entry) { return entry.second; })->first);
  for (const auto &[rgb, count] : counts)
    drawn.text = std::max(drawn.text, Style::contrast(QColor::fromRgb(rgb), drawn.ground));
  return drawn;
}

// The lines of text drawn in `area`, top to bottom: each run of pixel rows with a pixel other
// than the area's ground, as wide as the area.
inline QList<QRect> drawnLines(const QImage &image, const QRect &area) {
  const QRect inside = area.intersected(image.rect());
  const QRgb ground = drawnContrast(image, inside).ground.rgb();
  QList<QRect> lines;
  bool inLine = false;
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    bool drawn = false;
    for (int x = inside.left(); x <= inside.right() && !drawn; ++x)
      drawn = image.pixel(x, y) != ground;
    if (drawn && !inLine) lines.append(QRect(inside.left(), y, inside.width(), 1));
    if (drawn) lines.last().setBottom(y);
    inLine = drawn;
  }
  return lines;
}

}  // namespace tarnik::testing
