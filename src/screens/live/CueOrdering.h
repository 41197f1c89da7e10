#pragma once

#include "model/Cue.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// How the cue list orders cue list 1 and matches its numbers against the console's active
// and pending cue. Everything here is computed from the model's values; nothing is kept.

// The cues ascending by Cue::numberSortValue (a number without a value counting as 0);
// equal values keep the order the model lists them in.
QList<Cue> sortedCues(const QList<Cue> &cues);

// Two cue numbers name the same cue: equal once trimmed, or both trimmed texts read as the
// same Cue::numberValue. An empty text matches nothing.
bool cueNumbersMatch(const QString &lhs, const QString &rhs);

// The first run of digits, with an optional fraction, in the active cue text ("Cue 7" gives
// 7, "1/12.5" gives 1); none without one.
std::optional<double> activeCueNumberValue(const QString &activeCueNumber);

// Which cues the console's active number marks. Built once per active number, so a list
// of 20,000 cues reads that number once.
class ActiveCueMarker {
 public:
  explicit ActiveCueMarker(const QString &activeCueNumber);
  bool isActive(const Cue &cue) const;

 private:
  QString activeCueNumber_;
  std::optional<double> activeValue_;
};

bool isActiveCue(const Cue &cue, const QString &activeCueNumber);

// The cue the Go button offers: the first cue in cue order that matches the pending number,
// else a cue made from the pending number and label as published; none while the pending
// number is empty. sorted is sortedCues() of the model's cues.
std::optional<Cue> playbackCue(const QList<Cue> &sorted, const QString &pendingCueNumber,
                               const QString &pendingCueLabel);

// The cue number "Add Breaker" proposes: the playback cue's, else the first cue's in cue
// order, else the empty text.
QString defaultBreakerCueNumber(const std::optional<Cue> &playback, const QList<Cue> &sorted);

}  // namespace tarnik
