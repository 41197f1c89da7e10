#pragma once

#include "operations/FixtureParkAction.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace tarnik {

// Which of the console's two lists a parameter came from.
enum class FixtureParameterSource { parameters, emitters };

QString rawValue(FixtureParameterSource source);
// Exactly "parameters" or "emitters"; anything else gives nothing.
std::optional<FixtureParameterSource> fixtureParameterSource(const QString &raw);

// One parameter or emitter as the console reported it, its name trimmed.
struct FixtureControlParameter {
  QString name;
  double value = 0;
  double minimum = 0;
  double maximum = 0;
  FixtureParameterSource source = FixtureParameterSource::parameters;

  // "parameters:zoom": the source, a colon and the name in lower case.
  QString id() const;
  bool isAdjustable() const { return isAdjustable(value, minimum, maximum); }
  // A slider can only be offered for a finite, non-empty range that holds the value.
  static bool isAdjustable(double value, double minimum, double maximum);

  friend bool operator==(const FixtureControlParameter &,
                         const FixtureControlParameter &) = default;
};

struct FixtureColorValue {
  double hue = 0;         // degrees, 0...360
  double saturation = 0;  // percent, 0...100
  friend bool operator==(const FixtureColorValue &, const FixtureColorValue &) = default;
};

// Whether a parameter's name names intensity: lower-cased and without "_" or blanks it is
// "intens" or "intensity" ("Intens_ity" and "INTENSITY" do; "intensity2" does not).
bool isIntensityParameterName(const QString &name);

enum class FixtureControlReadState { unknown, loading, loaded, failed };

// Only a console readback makes a channel parked or unparked; the other cases record an
// intent that is not proven yet.
struct FixtureParkState {
  enum class Kind { pending, sentUnverified, unknown, parked, unparked };
  Kind kind = Kind::unknown;
  FixtureParkAction action = FixtureParkAction::park;  // meaningful for the first two kinds

  static FixtureParkState pending(FixtureParkAction action) { return {Kind::pending, action}; }
  static FixtureParkState sentUnverified(FixtureParkAction action) {
    return {Kind::sentUnverified, action};
  }
  static FixtureParkState unknown() { return {}; }
  static FixtureParkState parked() { return {Kind::parked, FixtureParkAction::park}; }
  static FixtureParkState unparked() { return {Kind::unparked, FixtureParkAction::park}; }

  friend bool operator==(const FixtureParkState &lhs, const FixtureParkState &rhs);
};

// What the console last proved about one channel's fixture, and the values written to it
// that no readback has confirmed yet.
struct FixtureControlState {
  int channel = 0;
  QString manufacturer;
  QString model;
  std::vector<FixtureControlParameter> parameters;
  std::vector<FixtureControlParameter> emitters;
  FixtureControlReadState parameterReadState = FixtureControlReadState::unknown;
  FixtureControlReadState emitterReadState = FixtureControlReadState::unknown;
  FixtureControlReadState colorReadState = FixtureControlReadState::unknown;
  std::optional<FixtureColorValue> nativeColor;
  FixtureParkState parkState;
  std::map<QString, double> pendingParameterValues;  // keyed by the name as stored

  static FixtureControlState empty(int channel) {
    FixtureControlState state;
    state.channel = channel;
    return state;
  }

  // Whether the channel has colour at all: an adjustable emitter that is not intensity.
  bool hasAdjustableColorEmitters() const;

  friend bool operator==(const FixtureControlState &, const FixtureControlState &) = default;
};

}  // namespace tarnik
