#include "operations/FixtureControlState.h"

#include <cmath>

namespace tarnik {

QString rawValue(FixtureParameterSource source) {
  return source == FixtureParameterSource::parameters ? QStringLiteral("parameters")
                                                      : QStringLiteral("emitters");
}

std::optional<FixtureParameterSource> fixtureParameterSource(const QString &raw) {
  for (const auto source : {FixtureParameterSource::parameters, FixtureParameterSource::emitters})
    if (raw == rawValue(source)) return source;
  return std::nullopt;
}

QString FixtureControlParameter::id() const { return rawValue(source) + u':' + name.toLower(); }

bool FixtureControlParameter::isAdjustable(double value, double minimum, double maximum) {
  return std::isfinite(value) && std::isfinite(minimum) && std::isfinite(maximum) &&
         maximum > minimum && minimum <= value && value <= maximum;
}

bool operator==(const FixtureParkState &lhs, const FixtureParkState &rhs) {
  using Kind = FixtureParkState::Kind;
  if (lhs.kind != rhs.kind) return false;
  return (lhs.kind != Kind::pending && lhs.kind != Kind::sentUnverified) ||
         lhs.action == rhs.action;
}

bool isIntensityParameterName(const QString &name) {
  QString folded = name.toLower();
  folded.removeIf([](QChar character) { return character == u'_' || character.isSpace(); });
  return folded == u"intens" || folded == u"intensity";
}

bool FixtureControlState::hasAdjustableColorEmitters() const {
  if (emitterReadState != FixtureControlReadState::loading &&
      emitterReadState != FixtureControlReadState::loaded)
    return false;
  for (const FixtureControlParameter &emitter : emitters) {
    if (!emitter.isAdjustable()) continue;
    if (!isIntensityParameterName(emitter.name)) return true;
  }
  return false;
}

}  // namespace tarnik
