#pragma once

#include "model/Channel.h"
#include "model/PatchDraft.h"
#include "model/PatchPlan.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

namespace tarnik {

// What the patch editor's sections say, apart from their widgets.

// A row of the "Patch Type" picker.
struct PatchOperationRow {
  PatchOperation operation;
  QString title;
  QString description;
  QString symbolName;
};
PatchOperationRow patchOperationRow(PatchOperation operation);

// A line with a symbol, in the secondary colour unless it is a warning.
struct PatchNote {
  QString symbolName;
  QString text;
  bool isWarning = false;

  friend bool operator==(const PatchNote &, const PatchNote &) = default;
};

// The fixture-mode button's lines: a prompt, or the chosen mode with blanks for "_".
QStringList fixtureChoiceLines(const std::optional<PatchFixtureChoice> &fixture);

// The chosen mode's library against the console's. The texts are compared exactly, blanks
// and case included, unlike the catalog's own banner, which trims: a version that differs
// only by a blank is a warning here.
PatchNote libraryNote(const std::optional<QString> &reported, const QString &choiceVersion);

// The titles of the two start fields, which follow the operation: each is the field's row
// label, its placeholder and its accessible name at once.
QString channelStartTitle(PatchOperation operation);
QString addressStartTitle(PatchOperation operation);
// "Mode footprint" and "Occupied DMX span", each present only when it can be said.
std::optional<QString> modeFootprintText(const PatchDraft &draft);
std::optional<QString> occupiedSpanText(const PatchDraft &draft, const PatchPlan &plan);

// The existing-patch section for a channel.
struct ExistingPatchContent {
  std::optional<PatchNote> missingParts;  // set when the channel has no parts: nothing else shows
  QString replaceTitle;
  QString replacementNote;
};
ExistingPatchContent existingPatchContent(const Channel &channel);

// The review section.
struct PatchReviewRow {
  QString title;
  QString range;

  friend bool operator==(const PatchReviewRow &, const PatchReviewRow &) = default;
};
struct PatchReviewContent {
  QString operationTitle;
  QString plannedPartCount;
  QList<PatchReviewRow> rows;            // at most 16
  std::optional<QString> morePartsText;  // "n more planned parts"
  std::optional<QString> dimmerSummary;
};
inline constexpr qsizetype reviewRowLimit = 16;
PatchReviewContent patchReviewContent(PatchOperation operation, const PatchPlan &plan);

// A "Resolve Before Patching" row: the issue's own sentence and its symbol.
PatchNote patchIssueNote(const PatchValidationIssue &issue);
// The rows of the plan's first issues, in its order, and a count of the rest: a show whose
// every part lacks an end address has an issue per part, more than anyone reads.
struct PatchIssueRows {
  QList<PatchNote> rows;                  // at most 50
  std::optional<QString> moreIssuesText;  // "and n more"
};
inline constexpr qsizetype issueRowLimit = 50;
PatchIssueRows patchIssueRows(const QList<PatchValidationIssue> &issues,
                              const QLocale &locale = QLocale());

}  // namespace tarnik
