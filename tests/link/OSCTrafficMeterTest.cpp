#include "link/OSCTrafficMeter.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

constexpr qint64 millisecond = 1'000'000;

TEST(OSCTrafficMeterTest, RateCountsTheLastSecondUpToTenThousandAndFallsToZero) {
  OSCTrafficMeter meter;
  // 12,000 arrivals within half a second.
  double rate = 0;
  for (int index = 0; index < 12'000; ++index) rate = meter.noteArrival(index * 40'000);
  EXPECT_EQ(rate, 10'000);
  EXPECT_EQ(meter.rate(480 * millisecond), 10'000);
  // An arrival exactly one second old still counts; older ones do not.
  EXPECT_EQ(meter.rate(1'000 * millisecond + 480 * millisecond - 40'000), 1);
  EXPECT_EQ(meter.rate(1'481 * millisecond), 0);
  EXPECT_EQ(meter.noteArrival(5'000 * millisecond), 1);
}

TEST(OSCTrafficMeterTest, RoundTripSampleAgesOnTheMonotonicClock) {
  OSCTrafficMeter meter;
  EXPECT_EQ(meter.roundTripSampleAge(0), std::nullopt);
  meter.noteRoundTripSample(2'000 * millisecond);
  EXPECT_EQ(meter.roundTripSampleAge(3'500 * millisecond), 1.5);
  EXPECT_EQ(meter.roundTripSampleAge(1'000 * millisecond), 0.0);  // never negative
  meter.resetTiming();
  EXPECT_EQ(meter.roundTripSampleAge(3'500 * millisecond), std::nullopt);
  EXPECT_EQ(meter.rate(3'500 * millisecond), 0);
}

}  // namespace
}  // namespace tarnik
