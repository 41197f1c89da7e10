#include "screens/live/CuesPageRules.h"

#include "foundation/TextRules.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("CueView", text); }

const SceneBreakEditor::Rename *renamed(const SceneBreakEditor &editor) {
  return std::get_if<SceneBreakEditor::Rename>(&editor.edit);
}

}  // namespace

CueEmptyState cueEmptyState(bool loadingCues, bool consoleReachable) {
  return {.symbolName = loadingCues ? u"arrow.triangle.2.circlepath"_s : u"list.number"_s,
          .title = loadingCues ? tr("Loading Cues") : tr("No Cues Loaded"),
          .description = consoleReachable ? tr("Pulling cue data from Eos.")
                                          : tr("Connect to Eos to load cue data.")};
}

bool recordCueEnabled(const QString &cueNumber, bool consoleReachable) {
  return !trimmedText(cueNumber).isEmpty() && consoleReachable;
}

bool sceneBreakConfirmEnabled(const QString &cueNumber, const QString &label, bool canControl) {
  return !trimmedText(cueNumber).isEmpty() && !trimmedText(label).isEmpty() && canControl;
}

QString sceneBreakSheetTitle(const SceneBreakEditor &editor) {
  return renamed(editor) ? u"Rename Breaker"_s : u"Add Breaker"_s;
}

QString sceneBreakConfirmTitle(const SceneBreakEditor &editor) {
  return renamed(editor) ? tr("Save") : tr("Add");
}

QString sceneBreakStartNumber(const SceneBreakEditor &editor) {
  if (const auto *rename = renamed(editor)) return rename->sceneBreak.cueNumber;
  return std::get<SceneBreakEditor::Add>(editor.edit).defaultCueNumber;
}

QString sceneBreakStartLabel(const SceneBreakEditor &editor) {
  if (const auto *rename = renamed(editor)) return rename->sceneBreak.label;
  return {};
}

QString breakerActionsTitle(const CueSceneBreak &sceneBreak) {
  return sceneBreak.label.isEmpty() ? u"Breaker"_s : sceneBreak.label;
}

QString breakerActionsMessage(const CueSceneBreak &sceneBreak) {
  return tr("Cue %1").arg(sceneBreak.cueNumber);
}

QString breakerDeleteMessage(const CueSceneBreak &sceneBreak) {
  return tr("This removes the breaker above cue %1.").arg(sceneBreak.cueNumber);
}

}  // namespace tarnik
