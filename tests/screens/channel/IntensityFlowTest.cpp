// The intensity flow over a recording model on virtual time: each send is checked again when
// it leaves, addresses the channel the drag began on, and a lost control ends the drag.

#include "screens/patch/IntensityFlow.h"
#include "support/ManualLevelCommandScheduler.h"

#include <QList>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

struct RecordingModel {
  IntensityControlModel closures() {
    return {.isControllable = [this] { return controllable; },
            .setIntensity =
                [this](int channel, double level) {
                  sends.append({channel, level});
                }};
  }
  bool controllable = true;
  QList<std::pair<int, double>> sends;
};

struct FlowHarness {
  FlowHarness()
      : flow(
            model.closures(), std::make_unique<LevelCommandThrottler>(10, clock, clock->uptime()),
            [this] { return shown; }, [this] { return awaiting; }) {}
  RecordingModel model;
  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  qint64 shown = 12;
  bool awaiting = false;  // the level shown is a write awaiting its readback
  IntensityFlow flow;
};

TEST(IntensityFlow, ATrailingSendIsCheckedAgainAndKeepsTheChannelOfItsDrag) {
  FlowHarness harness;
  harness.flow.begin(5);
  harness.flow.update(30);
  harness.flow.update(40);  // waits for its tenth
  harness.model.controllable = false;
  harness.clock->advance(0.1);
  EXPECT_EQ(harness.model.sends, (QList<std::pair<int, double>>{{5, 30}}));

  harness.model.controllable = true;
  harness.flow.begin(5);
  harness.flow.update(50);
  harness.flow.end(60);
  harness.flow.begin(6);
  harness.flow.end(70);
  EXPECT_EQ(harness.model.sends,
            (QList<std::pair<int, double>>{{5, 30}, {5, 50}, {5, 60}, {6, 70}}));
  EXPECT_FALSE(harness.flow.isAdjusting());
}

TEST(IntensityFlow, WithoutControlNothingStartsAndAnUpdateCancelsBackToTheShownLevel) {
  FlowHarness harness;
  harness.model.controllable = false;
  harness.flow.begin(5);
  harness.flow.update(80);
  harness.clock->advance(1);
  EXPECT_TRUE(harness.model.sends.isEmpty());

  harness.model.controllable = true;
  harness.flow.setAdjusting(true);
  harness.flow.setIntensity(55);
  harness.flow.begin(5);
  harness.flow.update(55);
  harness.flow.update(65);
  harness.model.controllable = false;
  harness.flow.update(75);
  EXPECT_FALSE(harness.flow.isAdjusting());
  EXPECT_EQ(harness.flow.intensity(), 12);
  harness.model.controllable = true;
  harness.clock->advance(1);
  harness.flow.update(90);  // the drag has ended: the throttler takes nothing more
  EXPECT_EQ(harness.model.sends, (QList<std::pair<int, double>>{{5, 55}}));
}

TEST(IntensityFlow, TheShownLevelMovesTheScrubberOnlyOutsideADrag) {
  FlowHarness harness;
  harness.flow.setIntensity(42.4);
  harness.flow.follow(42);
  EXPECT_EQ(harness.flow.intensity(), 42.4);  // already shows 42
  harness.flow.follow(50);
  EXPECT_EQ(harness.flow.intensity(), 50);
  harness.flow.setAdjusting(true);
  harness.flow.follow(20);
  EXPECT_EQ(harness.flow.intensity(), 50);

  // The drag's end: its last write still awaits the readback, or the readback came during it.
  harness.flow.begin(5);
  harness.awaiting = true;
  harness.flow.end(50);
  EXPECT_EQ(harness.flow.intensity(), 50);
  harness.flow.setAdjusting(true);
  harness.flow.begin(5);
  harness.awaiting = false;
  harness.flow.end(50);
  EXPECT_EQ(harness.flow.intensity(), 12);
}

}  // namespace
}  // namespace tarnik::testing
