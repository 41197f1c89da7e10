#pragma once

#include "model/Channel.h"
#include "operations/FixtureControlState.h"

#include <QString>

#include <optional>

namespace tarnik {

// What a channel's page reads about its intensity from the channel's fixture state (none
// when the store has never heard of the channel). Pure rules, so that every case is a row.

// The written level still awaiting its readback. With several intensity-named keys pending
// the choice must not hang on the map's order: the name the model writes (the first
// adjustable intensity parameter) wins, then the first pending intensity name in the
// parameters' order, then the smallest key. A value that is not finite counts as no level.
std::optional<double> pendingIntensity(const std::optional<FixtureControlState> &state);

// The level the page shows: the pending one, else the first intensity parameter with a
// finite value, else the patch snapshot's level. Rounded half away from zero; a runaway
// value saturates at the 64-bit limits.
qint64 displayedIntensity(const std::optional<FixtureControlState> &state, const Channel &channel);

// The parameter list being read, or read, holds an adjustable intensity parameter.
bool hasAdjustableIntensity(const std::optional<FixtureControlState> &state);
// The reads that decide whether the channel has intensity are still out.
bool isCheckingCapability(const std::optional<FixtureControlState> &state, bool canControl);

enum class IntensityModuleChoice { control, checking, cachedDimmer, none };
IntensityModuleChoice intensityModuleChoice(const std::optional<FixtureControlState> &state,
                                            const Channel &channel, bool canControl);

// The caption above the level: cached, being adjusted, awaiting readback, or read back.
QString intensityCaption(bool isConnected, bool isAdjusting, bool isAwaitingReadback);
// "45%"; a level that is not a number shows "-%".
QString intensityValueText(double intensity);

}  // namespace tarnik
