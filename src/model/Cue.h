#pragma once

#include "foundation/JsonCoding.h"

#include <QString>

#include <optional>

namespace tarnik {

// One cue of cue list 1, every attribute kept as the text the console reports. A stored cue
// lacking a key other than `number` takes the empty text (or false).
struct Cue {
  QString number{};
  QString label{};
  QString duration{};
  QString upTime{};
  QString downTime{};
  QString focusTime{};
  QString colorTime{};
  QString beamTime{};
  QString mark{};
  QString block{};
  QString assert{};
  QString preheat{};
  QString allFade{};
  QString moves{};
  QString release{};
  QString follow{};
  QString hang{};
  QString link{};
  QString loop{};
  QString curve{};
  QString rate{};
  QString fx{};
  QString execute{};
  QString sceneLabel{};  // label of the scene break set on this cue, empty when none
  bool sceneEnd = false;

  const QString &id() const { return number; }

  // True when any of mark, block, assert, preheat, allFade, moves or release is non-empty
  // as stored (a blank counts).
  bool hasAttributes() const;

  // A time text as seconds: trimmed, every "s" or "S" removed, the rest read as a C-locale
  // decimal number.
  static std::optional<double> seconds(const QString &timeText);
  // "5s", "2.5s", "-" for an empty text, the trimmed text itself when it is not a number.
  static QString formattedTime(const QString &timeText);

  // A cue number's value: the whole text, untrimmed, read in C's floating-point syntax (so
  // "12", "+3", "1e2", "0x10", "inf" and "nan" have one; " 12", "12 " and "1/5" none).
  static std::optional<double> numberValue(const QString &number);
  // What a cue sorts by: its number's value, 0 without one. "nan" counts as 0 too: a key
  // that compares with nothing would break the sort.
  static double numberSortValue(const QString &number);

  QJsonObject toJson() const;
  static std::expected<Cue, JsonError> fromJson(const QJsonObject &object);

  friend bool operator==(const Cue &, const Cue &);
};

size_t qHash(const Cue &cue, size_t seed = 0);

}  // namespace tarnik
