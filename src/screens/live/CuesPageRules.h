#pragma once

#include "screens/live/CueListRows.h"

#include <QString>

namespace tarnik {

// The Cues page's decisions that need no widget: its empty state, the sheets' confirm
// gates and titles, and the breaker dialogs' texts.

// The title and symbol follow loading alone, the description reachability alone.
struct CueEmptyState {
  QString symbolName;
  QString title;
  QString description;

  friend bool operator==(const CueEmptyState &, const CueEmptyState &) = default;
};
CueEmptyState cueEmptyState(bool loadingCues, bool consoleReachable);

// "Record" needs a number and a console that answers; the model judges the rest, and it
// asks nothing of the sync, so the sheet does not either.
bool recordCueEnabled(const QString &cueNumber, bool consoleReachable);
// A breaker needs a number, a label and a console the model lets the user control.
bool sceneBreakConfirmEnabled(const QString &cueNumber, const QString &label, bool canControl);

// "Add Breaker" or "Rename Breaker", shown verbatim, and the confirm button's "Add" or
// "Save".
QString sceneBreakSheetTitle(const SceneBreakEditor &editor);
QString sceneBreakConfirmTitle(const SceneBreakEditor &editor);
// What the sheet's fields start with.
QString sceneBreakStartNumber(const SceneBreakEditor &editor);
QString sceneBreakStartLabel(const SceneBreakEditor &editor);

// The actions dialog: the breaker's label verbatim ("Breaker" when empty) over "Cue 12".
QString breakerActionsTitle(const CueSceneBreak &sceneBreak);
QString breakerActionsMessage(const CueSceneBreak &sceneBreak);
QString breakerDeleteMessage(const CueSceneBreak &sceneBreak);

}  // namespace tarnik
