#pragma once

#include "model/Cue.h"

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace tarnik {

// A breaker: the scene break above the first cue of a run of cues with the same scene text.
// Breakers are no records of their own, only the scene texts of the cues.
struct CueSceneBreak {
  QString cueNumber{};  // as the cue carries it, untrimmed
  QString label{};      // the cue's scene text, trimmed; never empty

  // "12-Act 2". Identities can repeat; nothing keys a map on them.
  QString id() const;

  friend bool operator==(const CueSceneBreak &, const CueSceneBreak &) = default;
};

struct CueListRow {
  Cue cue{};
  std::optional<CueSceneBreak> sceneBreak{};

  // "Act 2-12", or "-13" without a breaker.
  QString id() const;
};

// The cues under one breaker, or those before the first breaker.
struct CueGroup {
  std::optional<CueSceneBreak> sceneBreak{};
  QList<Cue> cues{};
  // Only the first group, and only when it has no breaker, shows "Cue List 1".
  bool showsCueListTitle = false;

  // "scene-12-Act 2", or "cue-list-" and the first cue's number ("cue-list-empty").
  QString id() const;
};

// What the breaker sheet edits: a new breaker with the cue number it proposes, or a rename.
struct SceneBreakEditor {
  struct Add {
    QString defaultCueNumber;
  };
  struct Rename {
    CueSceneBreak sceneBreak;
  };
  std::variant<Add, Rename> edit;

  // "add" for every new breaker; "rename-12-Act 2".
  QString id() const;
};

// One row per cue of sortedCues(), a breaker on each cue whose trimmed scene text is
// non-empty and differs from the last breaker's. A cue without scene text ends no scene.
QList<CueListRow> cueListRows(const QList<Cue> &sorted);

// The rows cut into groups at each breaker; no rows, no groups.
QList<CueGroup> cueGroups(const QList<CueListRow> &rows);

}  // namespace tarnik
