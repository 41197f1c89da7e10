#pragma once

#include "model/Cue.h"

#include <QString>

namespace tarnik {

// The texts a cue is shown with in the list, the Go button and the cue detail.

// The label without the "Cue <number>" the console often writes into it: each occurrence
// of "Cue " + the untrimmed number is removed (literal, case-sensitive, anywhere), then
// the rest is trimmed. An occurrence followed by a digit, or by "." and a digit, names
// another cue ("Cue 12" on cue 1, "Cue 1.5" on cue 1) and stays.
QString cueDisplayLabel(const Cue &cue);

// "Cue " + the number as stored.
QString cueRowTitle(const Cue &cue);

// The display label, or "No label" when nothing is left of it.
QString cueRowLabelText(const Cue &cue);

}  // namespace tarnik
