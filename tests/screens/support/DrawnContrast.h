#pragma once

// How a text reads as it is really drawn, from a picture of the widget: its ground is the
// colour drawn most in the area, its text the colour that stands out most from that ground.

#include "screens/kit/Style.h"

#include <QImage>
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

}  // namespace tarnik::testing
