#include "screens/live/CueOrdering.h"

#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace tarnik {

QList<Cue> sortedCues(const QList<Cue> &cues) {
  // Each number is read once, not once per comparison.
  struct Key {
    double value;
    qsizetype index;
  };
  std::vector<Key> keys;
  keys.reserve(static_cast<size_t>(cues.size()));
  for (qsizetype i = 0; i < cues.size(); ++i)
    keys.push_back({Cue::numberSortValue(cues[i].number), i});
  std::stable_sort(keys.begin(), keys.end(),
                   [](const Key &a, const Key &b) { return a.value < b.value; });
  QList<Cue> sorted;
  sorted.reserve(cues.size());
  for (const Key &key : keys) sorted.append(cues[key.index]);
  return sorted;
}

bool cueNumbersMatch(const QString &lhs, const QString &rhs) {
  const QString left = trimmedText(lhs);
  const QString right = trimmedText(rhs);
  if (left.isEmpty() || right.isEmpty()) return false;
  if (left == right) return true;
  const std::optional<double> leftValue = Cue::numberValue(left);
  const std::optional<double> rightValue = Cue::numberValue(right);
  return leftValue && rightValue && *leftValue == *rightValue;
}

std::optional<double> activeCueNumberValue(const QString &activeCueNumber) {
  static const QRegularExpression firstNumber(QStringLiteral("[0-9]+(\\.[0-9]+)?"));
  const QRegularExpressionMatch match = firstNumber.match(activeCueNumber);
  if (!match.hasMatch()) return std::nullopt;
  return parseDecimal(match.capturedView());
}

ActiveCueMarker::ActiveCueMarker(const QString &activeCueNumber)
    : activeCueNumber_(activeCueNumber), activeValue_(activeCueNumberValue(activeCueNumber)) {}

bool ActiveCueMarker::isActive(const Cue &cue) const {
  if (cueNumbersMatch(cue.number, activeCueNumber_)) return true;
  if (!activeValue_) return false;
  // A number without a value counts as 0; "nan" equals nothing.
  return Cue::numberValue(cue.number).value_or(0.0) == *activeValue_;
}

bool isActiveCue(const Cue &cue, const QString &activeCueNumber) {
  return ActiveCueMarker(activeCueNumber).isActive(cue);
}

std::optional<Cue> playbackCue(const QList<Cue> &sorted, const QString &pendingCueNumber,
                               const QString &pendingCueLabel) {
  if (pendingCueNumber.isEmpty()) return std::nullopt;
  const auto found = std::ranges::find_if(
      sorted, [&](const Cue &cue) { return cueNumbersMatch(cue.number, pendingCueNumber); });
  if (found != sorted.end()) return *found;
  return Cue{.number = pendingCueNumber, .label = pendingCueLabel};
}

QString defaultBreakerCueNumber(const std::optional<Cue> &playback, const QList<Cue> &sorted) {
  if (playback) return playback->number;
  return sorted.isEmpty() ? QString() : sorted.first().number;
}

}  // namespace tarnik
