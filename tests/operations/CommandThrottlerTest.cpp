#include "operations/ColorCommandThrottler.h"
#include "operations/LevelCommandThrottler.h"
#include "support/ManualLevelCommandScheduler.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <utility>
#include <vector>

namespace tarnik {
namespace {

using testing::ManualLevelCommandScheduler;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct TimedLevel {
  double at;
  int level;
  friend bool operator==(const TimedLevel &, const TimedLevel &) = default;
  friend std::ostream &operator<<(std::ostream &out, const TimedLevel &sent) {
    return out << sent.level << "@" << sent.at;
  }
};

class LevelThrottling : public ::testing::Test {
 protected:
  LevelCommandThrottler::Send recorder(std::vector<TimedLevel> &into) {
    return [this, &into](int level) {
      into.push_back({std::round(clock->now() * 1000) / 1000, level});
    };
  }
  void begin() { throttler.begin(recorder(sent)); }
  void at(double time) { clock->advance(time - clock->now()); }

  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  LevelCommandThrottler throttler{10, clock, clock->uptime()};
  std::vector<TimedLevel> sent;
};

TEST_F(LevelThrottling, SendsTheFirstLevelAtOnceAndTheNewestOncePerInterval) {
  begin();
  throttler.submit(10);
  at(0.03);
  throttler.submit(20);
  at(0.06);
  throttler.submit(30);
  at(0.15);
  throttler.submit(40);  // waits for 0.2, the interval after the trailing send
  at(0.5);
  throttler.submit(50);  // long after: at once
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 10}, {0.1, 30}, {0.2, 40}, {0.5, 50}}));
}

TEST_F(LevelThrottling, MapsValuesToWholePercentages) {
  const std::pair<double, int> rows[] = {{42.5, 43}, {42.49, 42}, {99.5, 100},     {150, 100},
                                         {-3, 0},    {-0.4, 0},   {infinity, 100}, {-infinity, 0}};
  for (const auto &[value, level] : rows) {
    begin();
    throttler.submit(value);
    ASSERT_EQ(sent.size(), 1u) << value;
    EXPECT_EQ(sent.back().level, level) << value;
    sent.clear();
  }
}

TEST_F(LevelThrottling, ReturningToTheLastSentLevelDropsTheWaitingOne) {
  begin();
  throttler.submit(10);
  at(0.02);
  throttler.submit(20);
  at(0.04);
  throttler.submit(10);
  EXPECT_EQ(clock->pendingCount(), 0);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 10}}));
}

TEST_F(LevelThrottling, FinishSendsTheFinalLevelAtOnceUnlessItWasJustSent) {
  begin();
  throttler.submit(50);
  at(0.01);
  throttler.finish(50);
  begin();
  throttler.submit(50);
  at(0.03);
  throttler.submit(60);  // waiting, dropped by the finish
  at(0.05);
  throttler.finish(51);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 50}, {0.01, 50}, {0.05, 51}}));
}

TEST_F(LevelThrottling, DoesNothingOutsideADrag) {
  throttler.submit(10);
  throttler.finish(20);
  begin();
  throttler.submit(30);
  throttler.finish(40);
  throttler.submit(50);
  throttler.finish(60);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 30}, {0, 40}}));
}

TEST_F(LevelThrottling, ATrailingSendNeverReachesALaterDrag) {
  std::vector<TimedLevel> firstDrag;
  throttler.begin(recorder(firstDrag));
  throttler.submit(10);
  at(0.05);
  throttler.submit(20);
  begin();
  throttler.submit(10);  // the new drag has sent nothing yet, so this goes at once
  at(1);
  EXPECT_EQ(firstDrag, (std::vector<TimedLevel>{{0, 10}}));
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0.05, 10}}));
}

TEST_F(LevelThrottling, StopEndsTheDragWhileCancelPendingKeepsIt) {
  begin();
  throttler.submit(10);
  at(0.05);
  throttler.submit(20);
  throttler.cancelPending();
  at(0.2);
  throttler.submit(30);
  at(0.25);
  throttler.submit(40);
  throttler.stop();
  EXPECT_EQ(clock->pendingCount(), 0);
  throttler.submit(50);
  throttler.finish(60);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 10}, {0.2, 30}}));
}

TEST_F(LevelThrottling, DropsValuesThatAreNotANumber) {
  begin();
  throttler.submit(10);
  at(0.05);
  throttler.submit(20);
  throttler.submit(nan);  // neither sent nor cancelling the waiting 20
  at(0.3);
  throttler.submit(30);
  at(0.35);
  throttler.submit(40);
  throttler.finish(nan);  // ends the drag unsent: 40 is dropped, not 100 sent
  throttler.submit(50);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedLevel>{{0, 10}, {0.1, 20}, {0.3, 30}}));
}

struct TimedColor {
  double at;
  double hue;
  double saturation;
  friend bool operator==(const TimedColor &, const TimedColor &) = default;
  friend std::ostream &operator<<(std::ostream &out, const TimedColor &sent) {
    return out << "(" << sent.hue << ", " << sent.saturation << ")@" << sent.at;
  }
};

class ColorThrottling : public ::testing::Test {
 protected:
  void begin() {
    throttler.begin([this](double hue, double saturation) {
      sent.push_back({std::round(clock->now() * 1000) / 1000, hue, saturation});
    });
  }
  void at(double time) { clock->advance(time - clock->now()); }

  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  ColorCommandThrottler throttler{10, clock, clock->uptime()};
  std::vector<TimedColor> sent;
};

TEST_F(ColorThrottling, LimitsWithoutRoundingAndPacesTinyChanges) {
  begin();
  throttler.submit(400, -10);
  at(0.2);
  throttler.submit(120, 50);
  at(0.22);
  throttler.submit(120, 50.0001);
  at(0.5);
  throttler.submit(-5, 150);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedColor>{
                      {0, 360, 0}, {0.2, 120, 50}, {0.3, 120, 50.0001}, {0.5, 0, 100}}));
}

TEST_F(ColorThrottling, DropsNonFiniteValues) {
  begin();
  throttler.submit(120, 50);
  at(0.05);
  throttler.submit(130, 50);
  throttler.submit(nan, 50);  // neither sent nor cancelling the waiting colour
  throttler.submit(130, infinity);
  at(0.3);
  throttler.submit(140, 50);
  at(0.35);
  throttler.submit(150, 50);
  throttler.finish(150, infinity);  // ends the drag unsent; the waiting colour is dropped
  throttler.submit(160, 50);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedColor>{{0, 120, 50}, {0.1, 130, 50}, {0.3, 140, 50}}));
}

TEST_F(ColorThrottling, CancelAndANewDragLeaveNoTrailingSend) {
  begin();
  throttler.submit(10, 10);
  at(0.05);
  throttler.submit(20, 20);
  begin();  // a trailing send of the earlier drag must not fire into this one
  throttler.submit(10, 10);
  at(0.1);
  throttler.submit(30, 30);
  throttler.cancel();
  EXPECT_EQ(clock->pendingCount(), 0);
  throttler.submit(40, 40);
  throttler.finish(50, 50);
  begin();
  throttler.submit(60, 60);
  at(0.12);
  throttler.finish(60, 60);
  at(1);
  EXPECT_EQ(sent, (std::vector<TimedColor>{{0, 10, 10}, {0.05, 10, 10}, {0.1, 60, 60}}));
}

TEST(CommandThrottlerDeathTest, StopsOnARateThatIsNotAboveZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto scheduler = std::make_shared<ManualLevelCommandScheduler>();
  for (const double rate : {0.0, -10.0, nan}) {
    EXPECT_DEATH(LevelCommandThrottler(rate, scheduler),
                 "LevelCommandThrottler needs a rate above 0");
    EXPECT_DEATH(ColorCommandThrottler(rate, scheduler),
                 "ColorCommandThrottler needs a rate above 0");
  }
}

}  // namespace
}  // namespace tarnik
