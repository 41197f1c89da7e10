#pragma once

#include "link/OSCArgument.h"
#include "model/Cue.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// A cue of a cue list reply has this many fields; the reply carries them in slices.
inline constexpr qsizetype cueReplyFieldCount = 31;

// A time field as seconds. An int is milliseconds, a float already seconds; a value that is
// not positive (or not a number) is no time. Whole seconds are written without a point, any
// other value with three significant digits, as "%.3g" writes them in the C locale ("1.5",
// "12.3", "1.23e+04"). A string is kept as sent, except "0" and "-1", which mean no time.
QString cueTimeText(const OSCArgument &argument);

// A numeric attribute such as curve, rate, link or loop: a positive int or float as a
// decimal text (a fraction in its shortest form), a string as sent except "0" and "-1",
// "On" for a true bool, otherwise the empty text.
QString cueNumberText(const OSCArgument &argument);

struct SceneFields {
  QString label;  // trimmed; empty when the record has no scene label
  bool end = false;
};

// The scene break of a cue record: the label in field 28 and the end flag in field 29,
// read only when the record is long enough to hold them.
SceneFields sceneFields(const QList<OSCArgument> &fields);

// Digits with an optional fraction of digits ("3", "2.5"), and nothing else: what the console
// numbers a cue with.
bool isCueNumber(QStringView text);

// The cue of a completed record, numbered by the cue component of the reply address.
// Nothing for a short record or a number that is not digits with an optional fraction.
std::optional<Cue> makeCue(const QList<OSCArgument> &fields, const QString &cueNumber);

}  // namespace tarnik
