#include "screens/live/CueListRows.h"

#include "foundation/TextRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

QString CueSceneBreak::id() const { return cueNumber + u'-' + label; }

QString CueListRow::id() const {
  return (sceneBreak ? sceneBreak->label : QString()) + u'-' + cue.number;
}

QString CueGroup::id() const {
  if (sceneBreak) return u"scene-"_s + sceneBreak->id();
  return u"cue-list-"_s + (cues.isEmpty() ? u"empty"_s : cues.first().number);
}

QString SceneBreakEditor::id() const {
  if (const auto *rename = std::get_if<Rename>(&edit))
    return u"rename-"_s + rename->sceneBreak.id();
  return u"add"_s;
}

QList<CueListRow> cueListRows(const QList<Cue> &sorted) {
  QList<CueListRow> rows;
  rows.reserve(sorted.size());
  QString lastBreakerLabel;
  for (const Cue &cue : sorted) {
    const QString scene = trimmedText(cue.sceneLabel);
    std::optional<CueSceneBreak> sceneBreak;
    if (!scene.isEmpty() && scene != lastBreakerLabel) {
      sceneBreak = CueSceneBreak{.cueNumber = cue.number, .label = scene};
      lastBreakerLabel = scene;
    }
    rows.append({.cue = cue, .sceneBreak = std::move(sceneBreak)});
  }
  return rows;
}

QList<CueGroup> cueGroups(const QList<CueListRow> &rows) {
  QList<CueGroup> groups;
  CueGroup open;
  const auto close = [&] {
    open.showsCueListTitle = !open.sceneBreak && groups.isEmpty();
    groups.append(std::move(open));
    open = CueGroup{};
  };
  for (const CueListRow &row : rows) {
    if (row.sceneBreak) {
      if (!open.cues.isEmpty()) close();
      open.sceneBreak = row.sceneBreak;
    }
    open.cues.append(row.cue);
  }
  if (!open.cues.isEmpty()) close();
  return groups;
}

}  // namespace tarnik
