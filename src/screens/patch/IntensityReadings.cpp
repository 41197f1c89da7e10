#include "screens/patch/IntensityReadings.h"

#include "screens/kit/CheckedRounding.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

using ReadState = FixtureControlReadState;

std::optional<double> finitePending(const FixtureControlState &state, const QString &name) {
  const auto found = state.pendingParameterValues.find(name);
  if (found == state.pendingParameterValues.end() || !std::isfinite(found->second))
    return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<double> pendingIntensity(const std::optional<FixtureControlState> &state) {
  if (!state) return std::nullopt;
  for (const FixtureControlParameter &parameter : state->parameters) {
    if (isIntensityParameterName(parameter.name) && parameter.isAdjustable())
      if (const std::optional<double> value = finitePending(*state, parameter.name)) return value;
  }
  for (const FixtureControlParameter &parameter : state->parameters) {
    if (isIntensityParameterName(parameter.name))
      if (const std::optional<double> value = finitePending(*state, parameter.name)) return value;
  }
  for (const auto &[name, value] : state->pendingParameterValues) {
    if (isIntensityParameterName(name) && std::isfinite(value)) return value;
  }
  return std::nullopt;
}

qint64 displayedIntensity(const std::optional<FixtureControlState> &state, const Channel &channel) {
  if (const std::optional<double> pending = pendingIntensity(state))
    return *roundedWholeNumber(*pending);
  if (state) {
    for (const FixtureControlParameter &parameter : state->parameters) {
      if (!isIntensityParameterName(parameter.name)) continue;
      if (const std::optional<qint64> level = roundedWholeNumber(parameter.value)) return *level;
    }
  }
  return channel.level;
}

bool hasAdjustableIntensity(const std::optional<FixtureControlState> &state) {
  if (!state) return false;
  if (state->parameterReadState != ReadState::loading &&
      state->parameterReadState != ReadState::loaded)
    return false;
  for (const FixtureControlParameter &parameter : state->parameters) {
    if (isIntensityParameterName(parameter.name) && parameter.isAdjustable()) return true;
  }
  return false;
}

bool isCheckingCapability(const std::optional<FixtureControlState> &state, bool canControl) {
  if (!state) return canControl;
  return state->parameterReadState == ReadState::unknown ||
         (state->parameterReadState == ReadState::loading && state->parameters.empty()) ||
         state->emitterReadState == ReadState::unknown ||
         (state->emitterReadState == ReadState::loading && state->emitters.empty());
}

IntensityModuleChoice intensityModuleChoice(const std::optional<FixtureControlState> &state,
                                            const Channel &channel, bool canControl) {
  if (hasAdjustableIntensity(state)) return IntensityModuleChoice::control;
  if (isCheckingCapability(state, canControl)) return IntensityModuleChoice::checking;
  if (!canControl && channel.displayTypeName().compare(u"Dimmer"_s, Qt::CaseInsensitive) == 0)
    return IntensityModuleChoice::cachedDimmer;
  return IntensityModuleChoice::none;
}

QString intensityCaption(bool isConnected, bool isAdjusting, bool isAwaitingReadback) {
  if (!isConnected) return u"Cached intensity"_s;
  if (isAdjusting) return u"Intensity"_s;
  return isAwaitingReadback ? u"Waiting for Eos readback"_s : u"Intensity readback"_s;
}

QString intensityValueText(double intensity) { return wholeNumberText(intensity) + u"%"_s; }

}  // namespace tarnik
