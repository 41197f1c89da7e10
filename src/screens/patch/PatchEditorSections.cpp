#include "screens/patch/PatchEditorSections.h"

#include "screens/patch/PatchTexts.h"

using namespace Qt::StringLiterals;

namespace tarnik {

PatchOperationRow patchOperationRow(PatchOperation operation) {
  switch (operation) {
    case PatchOperation::fixture:
      return {operation, u"Fixture"_s,
              u"One channel with a source-backed manufacturer, model, and mode."_s, u"lightbulb"_s};
    case PatchOperation::dimmerAddressRange:
      return {operation, u"Dimmer Address Range"_s,
              u"One channel using an explicit DMX start and thru range."_s,
              u"arrow.left.and.right"_s};
    case PatchOperation::channelRange:
      return {operation, u"Channel Range"_s,
              u"A one-to-one run of channels mapped to consecutive DMX addresses."_s,
              u"list.number"_s};
  }
  return {};
}

QStringList fixtureChoiceLines(const std::optional<PatchFixtureChoice> &fixture) {
  if (!fixture)
    return {u"Choose Manufacturer, Model, and Mode"_s, u"Search the bundled Eos fixture library"_s};
  return {catalogDisplayName(fixture->manufacturer) + u" · "_s + catalogDisplayName(fixture->model),
          catalogDisplayName(fixture->mode),
          fixture->footprint ? QString::number(*fixture->footprint) + u" DMX addresses"_s
                             : u"Unknown footprint"_s};
}

PatchNote libraryNote(const std::optional<QString> &reported, const QString &choiceVersion) {
  if (!reported)
    return {u"questionmark.circle"_s,
            u"Eos has not reported its fixture library version. Selection is available for "
            "planning only until support is verified."_s};
  if (*reported == choiceVersion)
    return {u"checkmark.circle"_s,
            u"Matches Eos fixture library "_s + reportedVersionText(*reported)};
  return {u"exclamationmark.triangle"_s,
          u"Selected from library "_s + choiceVersion + u"; Eos reports "_s +
              reportedVersionText(*reported) +
              u". Matching fixture libraries are required before patching this profile."_s,
          true};
}

QString channelStartTitle(PatchOperation operation) {
  return operation == PatchOperation::channelRange ? u"Channel start"_s : u"Channel"_s;
}

QString addressStartTitle(PatchOperation operation) {
  return operation == PatchOperation::channelRange ? u"First DMX address"_s
                                                   : u"DMX start address"_s;
}

std::optional<QString> modeFootprintText(const PatchDraft &draft) {
  if (draft.operation != PatchOperation::fixture || !draft.fixture || !draft.fixture->footprint)
    return std::nullopt;
  return QString::number(*draft.fixture->footprint) + u" addresses"_s;
}

std::optional<QString> occupiedSpanText(const PatchDraft &draft, const PatchPlan &plan) {
  if (!modeFootprintText(draft) || plan.parts.isEmpty()) return std::nullopt;
  return plan.parts.first().occupiedRange.displayText();
}

ExistingPatchContent existingPatchContent(const Channel &channel) {
  if (channel.parts.isEmpty())
    return {PatchNote{u"exclamationmark.triangle"_s,
                      u"The existing patch has no source-backed part records. Sync again before "
                      "replacing it."_s,
                      true},
            {},
            {}};
  const qsizetype count = channel.parts.size();
  return {std::nullopt,
          u"Replace "_s + QString::number(count) + u" existing "_s +
              (count == 1 ? u"part"_s : u"parts"_s),
          u"Replacement is limited to channel "_s + QString::number(channel.number) +
              u". You will confirm it again before Tarnik sends anything."_s};
}

PatchReviewContent patchReviewContent(PatchOperation operation, const PatchPlan &plan) {
  PatchReviewContent review;
  review.operationTitle = patchOperationRow(operation).title;
  review.plannedPartCount = QString::number(plan.parts.size());
  const bool isDimmerRange = operation == PatchOperation::dimmerAddressRange;
  for (const PatchPlannedPart &part : plan.parts.first(qMin(plan.parts.size(), reviewRowLimit))) {
    QString title = u"Ch "_s + QString::number(part.channelNumber);
    if (isDimmerRange) title += u" · Part "_s + QString::number(part.partNumber);
    review.rows.append({title, part.occupiedRange.displayText()});
  }
  if (plan.parts.size() > reviewRowLimit)
    review.morePartsText =
        QString::number(plan.parts.size() - reviewRowLimit) + u" more planned parts"_s;
  if (isDimmerRange && !plan.parts.isEmpty()) {
    const EosDMXRange &first = plan.parts.first().occupiedRange;
    review.dimmerSummary = u"Channel "_s + QString::number(plan.parts.first().channelNumber) +
                           u" uses "_s + QString::number(plan.parts.size()) +
                           u" DMX addresses: U"_s + QString::number(first.universe) + u" · "_s +
                           dmxAddressText(first.start) + u'–' +
                           dmxAddressText(plan.parts.last().occupiedRange.end) + u'.';
  }
  return review;
}

PatchNote patchIssueNote(const PatchValidationIssue &issue) {
  using Kind = PatchValidationIssue::Kind;
  const bool isConflict =
      issue.kind == Kind::replacementRequiresExplicitIntent || issue.kind == Kind::occupiedRange;
  return {isConflict ? u"exclamationmark.triangle.fill"_s : u"exclamationmark.circle"_s,
          issue.message(), true};
}

PatchIssueRows patchIssueRows(const QList<PatchValidationIssue> &issues, const QLocale &locale) {
  PatchIssueRows shown;
  for (const PatchValidationIssue &issue : issues.first(qMin(issues.size(), issueRowLimit)))
    shown.rows.append(patchIssueNote(issue));
  if (issues.size() > issueRowLimit)
    shown.moreIssuesText = u"and "_s + locale.toString(issues.size() - issueRowLimit) + u" more"_s;
  return shown;
}

}  // namespace tarnik
