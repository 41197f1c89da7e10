#include "operations/MoverMotionGate.h"

#include "operations/EosOSCAddress.h"

#include <cmath>

namespace tarnik {

namespace {

bool isNeutral(const MoverControllerInput &input) {
  return std::abs(input.pan) <= MoverMotionGate::deadZone &&
         std::abs(input.tilt) <= MoverMotionGate::deadZone &&
         input.fine <= MoverMotionGate::deadZone && !input.deadman;
}

// Neutral and valid: NaN fails every comparison below, and negative zero counts as zero.
bool isRestingForArm(const MoverControllerInput &input) {
  return std::abs(input.pan) <= MoverMotionGate::deadZone &&
         std::abs(input.tilt) <= MoverMotionGate::deadZone && input.fine >= 0 &&
         input.fine <= MoverMotionGate::deadZone && !input.deadman && !input.stop;
}

bool isValidAxis(double value) { return std::isfinite(value) && std::abs(value) <= 1.0; }

bool isValidSample(const MoverControllerInput &input, qint64 user, double now) {
  return std::isfinite(now) && isValidAxis(input.pan) && isValidAxis(input.tilt) &&
         input.fine >= 0 && input.fine <= 1.0 && user >= 1 && user <= 99;
}

OSCMessage wheelMessage(qint64 user, const QString &mode, const char *axis, double deflection,
                        double step) {
  const double beyondDeadZone =
      (std::abs(deflection) - MoverMotionGate::deadZone) / (1.0 - MoverMotionGate::deadZone);
  double magnitude = std::pow(beyondDeadZone, 1.65);
  if (deflection < 0) magnitude = -magnitude;
  const double value = magnitude * MoverMotionGate::wheelUnitsPerSecond * step;
  return {EosOSCAddress::userWheel(user, mode, QLatin1String(axis)),
          {OSCArgument::fromFloat(float(value))}};
}

}  // namespace

void MoverMotionGate::disarm(const QString &text) {
  isArmed = false;
  canArm = false;
  neutralSince.reset();
  status = text;
}

void MoverMotionGate::updateConditions(bool inputConnected, bool appActive, bool contextReady) {
  if (inputConnected == this->inputConnected && appActive == this->appActive &&
      contextReady == this->contextReady) {
    return;
  }
  this->inputConnected = inputConnected;
  this->appActive = appActive;
  this->contextReady = contextReady;
  isArmed = false;
  canArm = false;
  neutralSince.reset();
  lastSample.reset();
  if (!inputConnected) {
    status = QStringLiteral("Connect exactly one Xbox controller.");
  } else if (!appActive) {
    status = QStringLiteral("App inactive; movement disarmed.");
  } else if (!contextReady) {
    status = QStringLiteral("Waiting for fresh board selection and Live feedback.");
  } else {
    status = QStringLiteral("Release sticks, LT, and RB, then arm.");
  }
}

bool MoverMotionGate::arm(double now) {
  const bool conditionsHold = inputConnected && appActive && contextReady && canArm;
  const bool sampleIsFresh = lastSample && std::isfinite(now) && now - *lastSample >= 0 &&
                             now - *lastSample <= maximumGapSeconds;
  if (conditionsHold && isRestingForArm(lastInput) && sampleIsFresh) {
    isArmed = true;
    canArm = false;
    status = QStringLiteral("Armed. Hold RB and move the left stick; LT selects fine.");
    return true;
  }
  disarm(
      QStringLiteral("Arm requires fresh Live selection and neutral controls for 0.25 seconds."));
  return false;
}

QList<OSCMessage> MoverMotionGate::process(const MoverControllerInput &input, qint64 user,
                                           double now) {
  if (!isValidSample(input, user, now)) {
    disarm(QStringLiteral("Invalid input; movement disarmed."));
    lastSample.reset();
    return {};
  }
  const double dt = lastSample ? now - *lastSample : 0;
  if (dt < 0 || dt > maximumGapSeconds) {
    disarm(QStringLiteral("Input paused; release controls and arm again."));
  }
  lastSample = now;
  lastInput = input;

  if (!inputConnected || !appActive || !contextReady) return {};
  if (input.stop) {
    disarm(QStringLiteral("Stopped with B / Menu."));
    return {};
  }
  if (!isArmed) {
    if (!isNeutral(input)) {
      neutralSince.reset();
      canArm = false;
      status = QStringLiteral("Release sticks, LT, and RB before arming.");
      return {};
    }
    if (!neutralSince) neutralSince = now;
    canArm = now - *neutralSince >= neutralRestSeconds;
    status = canArm ? QStringLiteral("Ready to arm. Hold RB after arming to move.")
                    : QStringLiteral("Release all controls for 0.25 seconds.");
    return {};
  }
  if (!input.deadman || dt <= 0 || dt > maximumGapSeconds) return {};

  const double step = std::min(dt, tickSeconds);
  const QString mode = input.fine > deadZone ? QStringLiteral("fine") : QStringLiteral("coarse");
  QList<OSCMessage> messages;
  if (std::abs(input.pan) > deadZone) {
    messages.append(wheelMessage(user, mode, "pan", input.pan, step));
  }
  if (std::abs(input.tilt) > deadZone) {
    messages.append(wheelMessage(user, mode, "tilt", input.tilt, step));
  }
  return messages;
}

}  // namespace tarnik
