// The wheel's maths: which colour a touch sets, where the knob sits, and its spoken value.

#include "screens/patch/ColorWheelGeometry.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

namespace Geometry = ColorWheelGeometry;

const Geometry::Disc square = Geometry::discIn({200, 200});

TEST(ColorWheelGeometry, ATouchGivesTheHueClockwiseFromTheRightAndTheSaturationOutwards) {
  const struct {
    QPointF at;
    double hue;
    double saturation;
  } rows[] = {
      {{100, 100}, 0, 0},     // the exact centre
      {{150, 100}, 0, 50},    // right
      {{100, 150}, 90, 50},   // below
      {{50, 100}, 180, 50},   // left
      {{100, 0}, 270, 100},   // above, on the rim
      {{100, 400}, 90, 100},  // beyond the rim: saturation stays 100, the hue follows
      {{0, 0}, 225, 100},
  };
  for (const auto &row : rows) {
    const std::optional<FixtureColorValue> color = Geometry::colorAt(square, row.at);
    ASSERT_TRUE(color) << row.at.x() << "," << row.at.y();
    EXPECT_NEAR(color->hue, row.hue, 1e-9) << row.at.x() << "," << row.at.y();
    EXPECT_NEAR(color->saturation, row.saturation, 1e-9) << row.at.x() << "," << row.at.y();
  }
  EXPECT_FALSE(Geometry::colorAt(Geometry::discIn({0, 40}), {0, 0}));
}

TEST(ColorWheelGeometry, TheDiscFitsTheShorterSideAndTheKnobFollowsTheColour) {
  const Geometry::Disc wide = Geometry::discIn({300, 200});
  EXPECT_EQ(wide.radius, 100);
  EXPECT_EQ(wide.centre, QPointF(150, 100));
  const QPointF knob = Geometry::knobCentre(wide, {180, 50});
  EXPECT_NEAR(knob.x(), 100, 1e-9);
  EXPECT_NEAR(knob.y(), 100, 1e-9);
  const QPointF below = Geometry::knobCentre(wide, {90, 100});
  EXPECT_NEAR(below.x(), 150, 1e-9);
  EXPECT_NEAR(below.y(), 200, 1e-9);
  EXPECT_TRUE(Geometry::contains(wide, {150, 1}));
  EXPECT_FALSE(Geometry::contains(wide, {51, 1}));  // the square's corner
}

TEST(ColorWheelGeometry, TheSpokenValueRoundsHalvesAwayAndNeverMakesANumberOfNaN) {
  EXPECT_EQ(Geometry::accessibleValue({119.6, 45.2}), u"Hue 120 degrees, saturation 45 percent"_s);
  EXPECT_EQ(Geometry::accessibleValue({std::nan(""), 0.5}),
            u"Hue - degrees, saturation 1 percent"_s);
}

}  // namespace
}  // namespace tarnik
