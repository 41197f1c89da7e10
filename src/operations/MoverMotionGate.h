#pragma once

#include "link/OSCMessage.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// One polled sample of the game controller.
struct MoverControllerInput {
  double pan = 0;        // left stick x, -1...1
  double tilt = 0;       // left stick y, -1...1, up positive
  double fine = 0;       // left trigger, 0...1
  bool deadman = false;  // right shoulder button held
  bool stop = false;     // B, or Menu/Start
  friend bool operator==(const MoverControllerInput &, const MoverControllerInput &) = default;
};

// The mover's safety gate and control law. Pure: the controller hands it each sample with
// its uptime and sends whatever wheel messages it returns. Every irregularity disarms, and
// only an explicit arm after 0.25 s of neutral controls moves lights again.
struct MoverMotionGate {
  static constexpr double deadZone = 0.12;
  static constexpr double neutralRestSeconds = 0.25;
  static constexpr double maximumGapSeconds = 0.15;
  static constexpr double tickSeconds = 1.0 / 30.0;
  static constexpr double wheelUnitsPerSecond = 12.0;

  bool isArmed = false;
  bool canArm = false;
  QString status = QStringLiteral("Connect a console and an Xbox controller.");
  bool inputConnected = false;
  bool appActive = false;
  bool contextReady = false;
  std::optional<double> lastSample{};
  std::optional<double> neutralSince{};
  MoverControllerInput lastInput{};

  void updateConditions(bool inputConnected, bool appActive, bool contextReady);
  bool arm(double now);
  QList<OSCMessage> process(const MoverControllerInput &input, qint64 user, double now);

  // Not armed, cannot arm, the neutral rest starts over, and the text tells the user why.
  void disarm(const QString &text);

  friend bool operator==(const MoverMotionGate &, const MoverMotionGate &) = default;
};

}  // namespace tarnik
