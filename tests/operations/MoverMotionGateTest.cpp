#include "operations/MoverMotionGate.h"
#include "support/QtPrinting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

constexpr double tick = 1.0 / 30.0;
const MoverControllerInput neutral{};

MoverControllerInput held(double pan, double tilt = 0, double fine = 0) {
  return {pan, tilt, fine, true, false};
}

// Conditions met, neutral from 0 s, ready at 0.25 s, armed at 0.26 s.
MoverMotionGate armedGate() {
  MoverMotionGate gate;
  gate.updateConditions(true, true, true);
  for (double now = 0; now < 0.26; now += 0.05) gate.process(neutral, 5, now);
  gate.process(neutral, 5, 0.26);
  EXPECT_TRUE(gate.arm(0.26)) << gate.status.toStdString();
  return gate;
}

float floatOf(const OSCMessage &message) {
  if (message.arguments.isEmpty()) return NAN;
  const auto *value = std::get_if<float>(&message.arguments.first().value);
  return value ? *value : NAN;
}

float onlyValue(const QList<OSCMessage> &messages) {
  EXPECT_EQ(messages.size(), 1);
  return messages.isEmpty() ? NAN : floatOf(messages.first());
}

TEST(MoverMotionGate, WalksTheArmingStates) {
  MoverMotionGate gate;
  gate.updateConditions(true, true, true);
  EXPECT_EQ(gate.status, "Release sticks, LT, and RB, then arm.");
  gate.process(held(0.5), 5, 0.0);
  EXPECT_EQ(gate.status, "Release sticks, LT, and RB before arming.");
  gate.process(neutral, 5, 0.1);
  EXPECT_EQ(gate.status, "Release all controls for 0.25 seconds.");
  EXPECT_FALSE(gate.canArm);
  gate.process(neutral, 5, 0.2);
  gate.process(neutral, 5, 0.3);
  EXPECT_FALSE(gate.canArm) << "the rest began at 0.1 s";
  gate.process(neutral, 5, 0.4);
  EXPECT_TRUE(gate.canArm);
  EXPECT_EQ(gate.status, "Ready to arm. Hold RB after arming to move.");
  EXPECT_TRUE(gate.arm(0.45));
  EXPECT_EQ(gate.status, "Armed. Hold RB and move the left stick; LT selects fine.");
  EXPECT_FALSE(gate.canArm);

  gate.updateConditions(true, false, true);
  EXPECT_FALSE(gate.isArmed);
  EXPECT_EQ(gate.status, "App inactive; movement disarmed.");
  gate.updateConditions(false, false, false);
  EXPECT_EQ(gate.status, "Connect exactly one Xbox controller.");
  gate.updateConditions(true, true, false);
  EXPECT_EQ(gate.status, "Waiting for fresh board selection and Live feedback.");
  gate.process(MoverControllerInput{0, 0, 0, false, true}, 5, 1.0);
  EXPECT_EQ(gate.status, "Waiting for fresh board selection and Live feedback.")
      << "stop shows its text only while every condition holds";
}

TEST(MoverMotionGate, RefusesToArmWithoutAFreshNeutralSample) {
  MoverMotionGate gate;
  gate.updateConditions(true, true, true);
  gate.process(neutral, 5, 0.0);
  gate.process(neutral, 5, 0.1);
  gate.process(neutral, 5, 0.25);
  ASSERT_TRUE(gate.canArm);
  EXPECT_FALSE(gate.arm(0.45)) << "0.2 s after the last poll";
  EXPECT_EQ(gate.status,
            "Arm requires fresh Live selection and neutral controls for 0.25 seconds.");
  EXPECT_FALSE(gate.neutralSince) << "the neutral rest starts again";

  MoverMotionGate negativeZeroTrigger;
  negativeZeroTrigger.updateConditions(true, true, true);
  const MoverControllerInput restingTrigger{0, 0, -0.0, false, false};
  negativeZeroTrigger.process(restingTrigger, 5, 0.0);
  negativeZeroTrigger.process(restingTrigger, 5, 0.1);
  negativeZeroTrigger.process(restingTrigger, 5, 0.25);
  EXPECT_TRUE(negativeZeroTrigger.arm(0.3));
}

TEST(MoverMotionGate, DisarmsOnBadInputGapsAndStop) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char *name;
    MoverControllerInput input;
    qint64 user;
    double now;
    QString status;
  } rows[] = {
      {"NaN pan", held(nan), 5, 0.26 + tick, "Invalid input; movement disarmed."},
      {"pan beyond 1", held(1.0001), 5, 0.26 + tick, "Invalid input; movement disarmed."},
      {"NaN trigger", held(0.5, 0, nan), 5, 0.26 + tick, "Invalid input; movement disarmed."},
      {"negative trigger", held(0.5, 0, -0.01), 5, 0.26 + tick,
       "Invalid input; movement disarmed."},
      {"user 0", held(0.5), 0, 0.26 + tick, "Invalid input; movement disarmed."},
      {"user 100", held(0.5), 100, 0.26 + tick, "Invalid input; movement disarmed."},
      {"infinite time", held(0.5), 5, INFINITY, "Invalid input; movement disarmed."},
      {"clock backwards, neutral", neutral, 5, 0.2, "Release all controls for 0.25 seconds."},
      {"gap of 0.2 s while held", held(0.5), 5, 0.46, "Release sticks, LT, and RB before arming."},
      {"stop", MoverControllerInput{0, 0, 0, true, true}, 5, 0.26 + tick, "Stopped with B / Menu."},
  };
  for (const auto &row : rows) {
    MoverMotionGate gate = armedGate();
    EXPECT_TRUE(gate.process(row.input, row.user, row.now).isEmpty()) << row.name;
    EXPECT_FALSE(gate.isArmed) << row.name;
    EXPECT_EQ(gate.status, row.status) << row.name;
  }
}

TEST(MoverMotionGate, SendsTheWheelLaw) {
  MoverMotionGate gate = armedGate();
  const QList<OSCMessage> fullLeft = gate.process(held(-1.0), 5, 0.26 + tick);
  ASSERT_EQ(fullLeft.size(), 1);
  EXPECT_EQ(fullLeft.first().address, "/eos/user/5/wheel/coarse/pan");
  EXPECT_EQ(onlyValue(fullLeft), -0.4f);

  EXPECT_EQ(gate.process(held(1.0, 0, 0.5), 42, 0.26 + 2 * tick).first().address,
            "/eos/user/42/wheel/fine/pan");
  EXPECT_EQ(onlyValue(gate.process(held(1.0), 5, 0.26 + 2 * tick + 0.1)), 0.4f)
      << "a late tick sends one tick's worth";
  EXPECT_TRUE(gate.process(held(1.0), 5, 0.26 + 2 * tick + 0.1).isEmpty()) << "dt = 0";
  EXPECT_TRUE(gate.isArmed);

  double now = 0.26 + 2 * tick + 0.1;
  EXPECT_TRUE(gate.process(held(0.12), 5, now += tick).isEmpty()) << "inside the dead zone";
  const float justBeyond = onlyValue(gate.process(held(0.1201), 5, now += tick));
  EXPECT_GT(justBeyond, 0.0f);
  EXPECT_LT(justBeyond, 1e-6f);
  EXPECT_TRUE(gate.process(MoverControllerInput{1.0, 0, 0, false, false}, 5, now += tick).isEmpty())
      << "no dead-man, no movement";

  const QList<OSCMessage> both = gate.process(held(0.5, -0.5), 5, now += tick);
  ASSERT_EQ(both.size(), 2);
  EXPECT_EQ(both[0].address, "/eos/user/5/wheel/coarse/pan");
  EXPECT_EQ(both[1].address, "/eos/user/5/wheel/coarse/tilt");
  const double expected = std::pow((0.5 - 0.12) / 0.88, 1.65) * 12.0 * tick;
  EXPECT_EQ(floatOf(both[0]), float(expected));
  EXPECT_EQ(floatOf(both[1]), float(-expected));
}

}  // namespace
}  // namespace tarnik
