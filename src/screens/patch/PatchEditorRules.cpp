#include "screens/patch/PatchEditorRules.h"

using namespace Qt::StringLiterals;

namespace tarnik {

bool PatchEditorSituation::isShowingConfirmedResult() const {
  return hasSubmitted && submission.kind == PatchSubmissionState::Kind::confirmed;
}

bool PatchEditorSituation::canSubmit() const {
  // A write that reached the console without its readback may have left part of it there;
  // another submit waits until the user has looked, whoever sent it.
  if (submission.kind == PatchSubmissionState::Kind::sentUnconfirmed) return false;
  if (isShowingConfirmedResult()) return false;
  if (!plan.issues.isEmpty() || unavailabilityReason) return false;
  return !submission.isInProgress();
}

PatchEditorSectionsShown patchEditorSectionsShown(const PatchEditorSituation &situation) {
  const bool confirmed = situation.isShowingConfirmedResult();
  return {
      .fixtureMode = situation.isFixtureOperation,
      .existingPatch = situation.isEditingChannel,
      .review = !situation.plan.parts.isEmpty(),
      .issues = !confirmed && !situation.plan.issues.isEmpty(),
      .unavailable = !confirmed && situation.unavailabilityReason.has_value(),
      .status =
          situation.hasSubmitted && situation.submission.kind != PatchSubmissionState::Kind::idle,
  };
}

PatchConfirmAction patchConfirmAction(const PatchEditorSituation &situation) {
  if (situation.isShowingConfirmedResult()) return PatchConfirmAction::done;
  if (situation.submission.isInProgress()) return PatchConfirmAction::busy;
  return PatchConfirmAction::submit;
}

QString patchSubmitTitle(bool isEditingChannel) {
  return isEditingChannel ? u"Apply"_s : u"Patch"_s;
}

PatchReplacementQuestion patchReplacementQuestion(std::size_t partCount) {
  const QString count = QString::number(partCount);
  const QString noun = partCount == 1 ? u"Part"_s : u"Parts"_s;
  return {
      .title = u"Replace "_s + count + u" Existing "_s + noun + u'?',
      .message =
          u"Only the listed parts on this channel will be replaced. Conflicts on other "
          "channels remain blocked."_s,
      .confirmTitle = u"Replace "_s + count + u' ' + noun + u" and Patch"_s,
  };
}

}  // namespace tarnik
