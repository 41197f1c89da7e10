#pragma once

// Whether a label shows its whole text, as the screens promise for texts that are never cut:
// no wider than the room it is given, tall enough for every line its text needs at its
// width, and drawn down to the last of those lines.

#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>
#include <set>

namespace tarnik::testing {

inline ::testing::AssertionResult showsWholeText(QLabel &label, int room) {
  if (label.width() > room || label.width() <= 0) {
    return ::testing::AssertionFailure() << "the label is " << label.width() << " wide in " << room;
  }
  const QFontMetrics metrics(label.font());
  const int lines = (metrics.horizontalAdvance(label.text()) + label.width() - 1) / label.width();
  if (label.height() < lines * metrics.height()) {
    return ::testing::AssertionFailure()
           << "the label is " << label.height() << " high for " << lines << " lines";
  }
  const QImage drawn = label.grab().toImage();
  const double scale = drawn.devicePixelRatio();
  std::set<QRgb> colours;
  for (int y = static_cast<int>((lines - 1) * metrics.height() * scale);
       y < static_cast<int>(lines * metrics.height() * scale) && y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) colours.insert(drawn.pixel(x, y));
  }
  if (colours.size() < 2) {
    return ::testing::AssertionFailure() << "nothing is drawn on line " << lines;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tarnik::testing
