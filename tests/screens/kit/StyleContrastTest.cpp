#include "screens/kit/Style.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(StyleContrast, EveryPairThePagesDrawReadsOnItsBackground) {
  for (const Style::Pair &pair : Style::pairs()) {
    const QColor foreground = Style::foregroundOf(pair);
    const QColor background = Style::backgroundOf(pair);
    EXPECT_GE(Style::contrast(foreground, background), Style::minimumContrast(pair.size))
        << foreground.name().toStdString() << " on " << background.name().toStdString();
  }
}

TEST(StyleContrast, RatiosFollowRelativeLuminance) {
  struct Case {
    QColor a;
    QColor b;
    double ratio;
  };
  const Case cases[] = {
      {QColor(0, 0, 0), QColor(255, 255, 255), 21.0},
      {QColor(255, 255, 255), QColor(0, 0, 0), 21.0},
      {QColor(0x77, 0x77, 0x77), QColor(255, 255, 255), 4.48},
      {QColor(0x30, 0x8c, 0xc6), QColor(255, 255, 255), 3.69},
  };
  for (const Case &c : cases) EXPECT_NEAR(Style::contrast(c.a, c.b), c.ratio, 0.01);
}

}  // namespace
}  // namespace tarnik
