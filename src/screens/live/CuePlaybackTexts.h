#pragma once

#include "model/Cue.h"

#include <QString>

#include <optional>

namespace tarnik {

// The Go button's words for the cue Go will run. The title is cut in two so that the
// number can roll on its own: "Go Cue " and the number, or "Go" and none.
QString goTitlePrefix(const std::optional<Cue> &nextCue);
QString goTitleNumber(const std::optional<Cue> &nextCue);
// "Go" or "Go Cue 12".
QString goTitle(const std::optional<Cue> &nextCue);
// The next cue's display label; empty when there is no next cue or nothing is left of its
// label (the button then shows no second line, not "No label").
QString goSubtitle(const std::optional<Cue> &nextCue);

}  // namespace tarnik
