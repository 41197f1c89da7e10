#pragma once

#include "model/Cue.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// What the cue detail shows of one cue, and the state of its Go bar, as values.

// One tile or row: its name for tests ("focusTime"), its label and the value shown.
struct CueDetailRow {
  QString key;
  QString label;
  QString value;

  friend bool operator==(const CueDetailRow &, const CueDetailRow &) = default;
};

struct CueDetailContent {
  QString title;                 // "Cue 7"
  QString label;                 // the display label, or "No label"
  QList<CueDetailRow> tiles;     // Duration, Up, Down: formatted times
  QList<CueDetailRow> timing;    // formatted times; the section shows even when empty
  QList<CueDetailRow> flags;     // the values are empty: a set flag shows a check only
  bool showsFlags = false;       // only when the cue has attributes
  QList<CueDetailRow> sequence;  // values verbatim; the section shows only with rows
};

// A row exists when its field is non-empty as stored: a single blank counts.
CueDetailContent cueDetailContent(const Cue &cue);

// The running cue's progress, only while the console's active cue is this cue's number as
// the very same text ("5.0" is not "5").
std::optional<double> cueDetailProgress(const Cue &cue, const QString &activeCueNumber,
                                        std::optional<double> activeCueProgress);

// The bar at the bottom: a note in viewer mode, else the Go button and, while the console
// does not answer, "Offline" under it.
struct CueDetailActionState {
  bool showsViewerNote = false;
  bool showsGo = false;
  bool goEnabled = false;
  bool showsOffline = false;
  QString goTitle;  // "Go to Cue 7"

  friend bool operator==(const CueDetailActionState &, const CueDetailActionState &) = default;
};

CueDetailActionState cueDetailActionState(const Cue &cue, bool viewer, bool canControl,
                                          bool consoleReachable);

}  // namespace tarnik
