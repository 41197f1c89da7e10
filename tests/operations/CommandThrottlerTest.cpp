#include "operations/ColorCommandThrottler.h"
#include "operations/LevelCommandThrottler.h"
#include "support/ManualLevelCommandScheduler.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace tarnik {
namespace {

using testing::ManualLevelCommandScheduler;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// What reached a send operation: the drag (counted from 1 by begin), the virtual time in
// milliseconds, and the level (first) or the hue and saturation.
struct Sent {
  int drag;
  double at;
  double first;
  double second = 0;
  friend bool operator==(const Sent &, const Sent &) = default;
  friend std::ostream &operator<<(std::ostream &out, const Sent &sent) {
    return out << "drag " << sent.drag << ": " << sent.first << "/" << sent.second << " at "
               << sent.at;
  }
};
using Sends = std::vector<Sent>;

// A throttler with rate 10 on virtual time; at(t) moves the time to t seconds.
template <typename Throttler>
class Throttling : public ::testing::Test {
 protected:
  Throttler &at(double time) {
    clock->advance(time - clock->now());
    return throttler;
  }
  void record(int drag, double first, double second = 0) {
    sent.push_back({drag, std::round(clock->now() * 1000), first, second});
  }
  // Everything sent, once any trailing send has had its time.
  const Sends &sentInTheEnd() {
    clock->advance(1);
    return sent;
  }

  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  Throttler throttler{10, clock, clock->uptime()};
  Sends sent;
  int drags = 0;
};

class LevelThrottling : public Throttling<LevelCommandThrottler> {
 protected:
  LevelCommandThrottler &begin() {
    throttler.begin([this, drag = ++drags](int level) { record(drag, level); });
    return throttler;
  }
};

class ColorThrottling : public Throttling<ColorCommandThrottler> {
 protected:
  ColorCommandThrottler &begin() {
    throttler.begin(
        [this, drag = ++drags](double hue, double saturation) { record(drag, hue, saturation); });
    return throttler;
  }
};

TEST_F(LevelThrottling, PacesADragToOneSendPerInterval) {
  begin().submit(10);
  at(0.03).submit(20);  // overtaken by 30 within the interval
  at(0.06).submit(30);
  at(0.15).submit(40);
  at(0.17).submit(30);  // back to the last sent level: the waiting 40 is dropped
  at(0.5).submit(50);
  at(0.52).finish(50);  // the last sent level: nothing more
  at(0.6).submit(60);   // outside a drag
  at(0.6).finish(70);
  EXPECT_EQ(sentInTheEnd(), (Sends{{1, 0, 10}, {1, 100, 30}, {1, 500, 50}}));
}

TEST_F(LevelThrottling, FinishSendsAtOnceAndOnlyInsideADrag) {
  throttler.submit(5);
  throttler.finish(5);
  begin().submit(50);
  at(0.03).submit(60);  // dropped by the finish
  at(0.05).finish(51);
  EXPECT_EQ(sentInTheEnd(), (Sends{{1, 0, 50}, {1, 50, 51}}));
}

TEST_F(LevelThrottling, SendsWholePercentages) {
  const std::pair<double, double> rows[] = {{42.5, 43},      {42.49, 42},   {99.5, 100},
                                            {150, 100},      {-3, 0},       {-0.4, 0},
                                            {infinity, 100}, {-infinity, 0}};
  for (const auto &[value, level] : rows) {
    begin().submit(value);
    EXPECT_EQ(sent.back().first, level) << value;
  }
  EXPECT_EQ(sent.size(), std::size(rows));
}

TEST_F(LevelThrottling, EndsDragsWithoutLateSends) {
  begin().submit(10);
  at(0.05).submit(20);  // its trailing send must not reach the next drag
  begin().submit(10);   // nothing sent yet in this drag: at once
  at(0.1).submit(30);
  throttler.cancelPending();  // drops the waiting 30, the drag goes on
  at(0.3).submit(40);
  at(0.35).submit(50);
  throttler.stop();  // drops 50 and ends the drag
  at(0.5).submit(60);
  EXPECT_EQ(sentInTheEnd(), (Sends{{1, 0, 10}, {2, 50, 10}, {2, 300, 40}}));
}

TEST_F(LevelThrottling, NeverSendsANaNAsFullLevel) {
  begin().submit(10);
  at(0.05).submit(20);
  throttler.submit(nan);  // neither sent nor cancelling the waiting 20
  at(0.3).submit(30);
  at(0.35).submit(40);
  throttler.finish(nan);  // ends the drag unsent, dropping 40
  at(0.4).submit(50);
  EXPECT_EQ(sentInTheEnd(), (Sends{{1, 0, 10}, {1, 100, 20}, {1, 300, 30}}));
}

TEST_F(ColorThrottling, LimitsWithoutRoundingAndPacesTinyChanges) {
  begin().submit(400, -10);
  at(0.2).submit(120, 50);
  at(0.22).submit(120, 50.0001);
  at(0.5).submit(-5, 150);
  EXPECT_EQ(sentInTheEnd(),
            (Sends{{1, 0, 360, 0}, {1, 200, 120, 50}, {1, 300, 120, 50.0001}, {1, 500, 0, 100}}));
}

TEST_F(ColorThrottling, DropsNonFiniteValuesAndEndsDragsWithoutLateSends) {
  begin().submit(120, 50);
  at(0.05).submit(130, 50);
  throttler.submit(nan, 50);  // neither sent nor cancelling the waiting colour
  throttler.submit(130, infinity);
  at(0.3).submit(140, 50);
  at(0.35).submit(150, 50);
  throttler.finish(150, infinity);  // ends the drag unsent, dropping the waiting colour
  at(0.4).submit(160, 50);
  begin().submit(10, 10);
  at(0.45).submit(20, 20);  // its trailing send must not reach the next drag
  begin().submit(30, 30);
  at(0.5).submit(40, 40);
  throttler.cancel();
  throttler.finish(50, 50);
  EXPECT_EQ(sentInTheEnd(), (Sends{{1, 0, 120, 50},
                                   {1, 100, 130, 50},
                                   {1, 300, 140, 50},
                                   {2, 400, 10, 10},
                                   {3, 450, 30, 30}}));
}

TEST(CommandThrottlerDeathTest, StopsOnARateThatIsNotAboveZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto scheduler = std::make_shared<ManualLevelCommandScheduler>();
  for (const double rate : {0.0, -10.0, nan}) {
    EXPECT_DEATH(LevelCommandThrottler(rate, scheduler),
                 "LevelCommandThrottler needs a rate above 0");
    EXPECT_DEATH(ColorCommandThrottler(rate, scheduler),
                 "ColorCommandThrottler needs a rate above 0");
  }
}

}  // namespace
}  // namespace tarnik
