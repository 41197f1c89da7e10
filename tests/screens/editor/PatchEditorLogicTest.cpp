// The patch editor's rules apart from its widgets: the draft it starts from, the fields'
// reading of typed text, when it may submit, and what each section says.

#include "model/PatchPlanner.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchEditorDraft.h"
#include "screens/patch/PatchEditorRules.h"
#include "screens/patch/PatchEditorSections.h"
#include "screens/patch/PatchIntegerText.h"
#include "screens/patch/PatchSubmissionStatus.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Kind = PatchSubmissionState::Kind;
constexpr qint64 int64Max = std::numeric_limits<qint64>::max();

EosPatchPart part(qint64 number, const QString &address, const QString &addressEnd) {
  return {.channelNumber = 7, .partNumber = number, .address = address, .addressEnd = addressEnd};
}

Channel channel(QList<EosPatchPart> parts, const QString &address = {}) {
  return {.number = 7, .label = u"Key "_s, .address = address, .parts = std::move(parts)};
}

PatchPlan plan(const PatchDraft &draft, const QList<EosPatchPart> &existing = {}) {
  return PatchPlanner::plan(draft, existing, 99999, 63999);
}

PatchFixtureChoice sixteenAddressMode(std::optional<qint64> footprint = 16) {
  return {.source = u"Installed ETC Eos fixture library"_s,
          .version = u"4.2.1.0"_s,
          .id = u"mode"_s,
          .manufacturer = u"Acme_Lights"_s,
          .model = u"Beam_2"_s,
          .mode = u"Mode_A"_s,
          .footprint = footprint,
          .cellCount = 1};
}

TEST(PatchEditorDraft, StartsFromTheChannelsRangesInUniverseAndStartOrder) {
  struct Row {
    const char *name;
    std::optional<Channel> channel;
    std::optional<qint64> universe, start, thru;
  };
  const Row rows[] = {
      {"new patch", std::nullopt, 1, std::nullopt, std::nullopt},
      {"two ranges, later one first",
       channel({part(1, u"1/101"_s, u"1/110"_s), part(2, u"1/1"_s, u"1/10"_s)}), 1, 1, 110},
      {"one range", channel({part(1, u"2/5"_s, u"2/20"_s)}), 2, 5, std::nullopt},
      {"no range, address text", channel({part(1, u"3/45"_s, {})}, u"3/45"_s), 3, 45, std::nullopt},
      {"unparsable address", channel({}, u"3/45/1"_s), 1, std::nullopt, std::nullopt},
      {"two universes", channel({part(1, u"2/5"_s, u"2/8"_s), part(2, u"1/101"_s, u"1/110"_s)}), 1,
       101, 8},
  };
  for (const Row &row : rows) {
    const PatchEditorForm form = initialPatchEditorForm(row.channel);
    EXPECT_EQ(form.draft.operation, PatchOperation::dimmerAddressRange) << row.name;
    EXPECT_EQ(form.draft.universe, row.universe) << row.name;
    EXPECT_EQ(form.draft.addressStart, row.start) << row.name;
    EXPECT_EQ(form.draft.addressThru, row.thru) << row.name;
    EXPECT_EQ(form.includesAddressThru, row.thru.has_value()) << row.name;
    EXPECT_FALSE(form.includesChannelThru) << row.name;
    EXPECT_EQ(form.draft.channelStart,
              row.channel ? std::optional<qint64>(7) : std::optional<qint64>())
        << row.name;
    EXPECT_EQ(form.draft.label, row.channel ? u"Key "_s : QString()) << row.name;
  }
  // Start and thru from different universes: the planner says so rather than guessing.
  const PatchEditorForm spread = initialPatchEditorForm(rows[5].channel);
  EXPECT_EQ(plan(spread.draft).issues,
            QList{PatchValidationIssue::of(PatchValidationIssue::Kind::invalidCount)});
}

TEST(PatchEditorDraft, OperationsAndThruSwitchesDropOnlyWhatNoLongerApplies) {
  PatchEditorForm form = initialPatchEditorForm(std::nullopt);
  form.draft.channelStart = 12;
  form.draft.addressStart = 5;
  setIncludesAddressThru(form, true);
  EXPECT_EQ(form.draft.addressThru, 5);
  form.draft.addressThru = 9;
  chooseOperation(form, PatchOperation::dimmerAddressRange);  // the same: nothing changes
  EXPECT_EQ(form.draft.addressThru, 9);

  chooseOperation(form, PatchOperation::fixture);
  EXPECT_FALSE(form.includesAddressThru);
  EXPECT_EQ(form.draft.addressThru, std::nullopt);
  form.draft.fixture = sixteenAddressMode();
  chooseOperation(form, PatchOperation::channelRange);
  EXPECT_EQ(form.draft.fixture, std::nullopt);
  EXPECT_EQ(form.draft.channelStart, 12);
  EXPECT_EQ(form.draft.addressStart, 5);

  setIncludesChannelThru(form, true);
  EXPECT_EQ(form.draft.channelThru, 12);
  setIncludesChannelThru(form, false);
  EXPECT_EQ(form.draft.channelThru, std::nullopt);
  form.draft.addressStart.reset();
  setIncludesAddressThru(form, true);
  EXPECT_TRUE(form.includesAddressThru);
  EXPECT_EQ(form.draft.addressThru, std::nullopt);

  const Channel two = channel({part(1, u"1/1"_s, u"1/1"_s), part(2, u"1/2"_s, u"1/2"_s)});
  setReplacesExistingParts(form, two, true);
  EXPECT_EQ(form.draft.partsToReplace, (std::set<EosPatchPart::ID>{{7, 1}, {7, 2}}));
  setReplacesExistingParts(form, two, false);
  EXPECT_TRUE(form.draft.partsToReplace.empty());
}

TEST(PatchIntegerText, KeepsNumericCharactersAndReadsOnlyASCIIDigitsWithin64Bits) {
  const std::pair<QString, std::optional<qint64>> rows[] = {
      {u"1a2"_s, 12},
      {u"-5"_s, 5},
      {u" 4 2 "_s, 42},
      {u""_s, std::nullopt},
      {u"abc"_s, std::nullopt},
      {u"12345678901234567890"_s, std::nullopt},
      {u"9223372036854775807"_s, int64Max},
      {u"9223372036854775808"_s, std::nullopt},
      {u"١٢"_s, std::nullopt},  // Arabic-Indic digits
      {u"½"_s, std::nullopt},
      {u"1½"_s, std::nullopt},
      {u"007"_s, 7},
  };
  for (const auto &[typed, value] : rows) {
    EXPECT_EQ(integerFromTypedText(typed), value) << typed.toStdString();
    EXPECT_EQ(integerFieldText(value), value ? QString::number(*value) : QString());
  }
  // The cursor stays after what was typed before it.
  EXPECT_EQ(integerFieldCursor(u"1a2"_s, 3, u"12"_s), 2);
  EXPECT_EQ(integerFieldCursor(u"1a2"_s, 2, u"12"_s), 1);
  EXPECT_EQ(integerFieldCursor(u"0|07"_s, 4, u"7"_s), 1);
  EXPECT_EQ(integerFieldCursor(u"0|07"_s, 1, u"7"_s), 0);
  EXPECT_EQ(integerFieldCursor(u"½"_s, 1, QString()), 0);
}

TEST(PatchEditorRules, SubmitsOnlyAPassingDraftWithNoWriteUnderWayOrUnlookedAt) {
  const PatchPlan passing = plan({.operation = PatchOperation::dimmerAddressRange,
                                  .channelStart = 7,
                                  .universe = 1,
                                  .addressStart = 1});
  const PatchPlan blocked = plan({.operation = PatchOperation::dimmerAddressRange});
  struct Row {
    const char *name;
    PatchPlan plan;
    std::optional<QString> reason;
    PatchSubmissionState state;
    bool hasSubmitted;
    bool canSubmit;
    PatchConfirmAction action;
  };
  const Row rows[] = {
      {"idle", passing, {}, PatchSubmissionState::idle(), false, true, PatchConfirmAction::submit},
      {"sent unconfirmed before submitting",
       passing,
       {},
       PatchSubmissionState::sentUnconfirmed(u"x"_s),
       false,
       false,
       PatchConfirmAction::submit},
      {"sent unconfirmed after submitting",
       passing,
       {},
       PatchSubmissionState::sentUnconfirmed(u"x"_s),
       true,
       false,
       PatchConfirmAction::submit},
      {"someone else's confirmation",
       passing,
       {},
       PatchSubmissionState::confirmed(u"x"_s),
       false,
       true,
       PatchConfirmAction::submit},
      {"own confirmation",
       passing,
       {},
       PatchSubmissionState::confirmed(u"x"_s),
       true,
       false,
       PatchConfirmAction::done},
      {"failed",
       passing,
       {},
       PatchSubmissionState::failed(u"x"_s),
       true,
       true,
       PatchConfirmAction::submit},
      {"issues",
       blocked,
       {},
       PatchSubmissionState::idle(),
       false,
       false,
       PatchConfirmAction::submit},
      {"reason", passing, u"No."_s, PatchSubmissionState::idle(), false, false,
       PatchConfirmAction::submit},
      {"checking",
       passing,
       {},
       PatchSubmissionState::checking(),
       true,
       false,
       PatchConfirmAction::busy},
      {"verifying",
       passing,
       {},
       PatchSubmissionState::verifying(),
       false,
       false,
       PatchConfirmAction::busy},
  };
  for (const Row &row : rows) {
    const PatchEditorSituation situation{.plan = row.plan,
                                         .unavailabilityReason = row.reason,
                                         .submission = row.state,
                                         .hasSubmitted = row.hasSubmitted};
    EXPECT_EQ(situation.canSubmit(), row.canSubmit) << row.name;
    EXPECT_EQ(patchConfirmAction(situation), row.action) << row.name;
  }
}

TEST(PatchEditorRules, SectionsShowByTheirRules) {
  const PatchPlan both{{PatchPlannedPart{}}, {PatchValidationIssue{}}};
  PatchEditorSituation situation{.plan = both, .unavailabilityReason = u"No."_s};
  EXPECT_EQ(patchEditorSectionsShown(situation),
            (PatchEditorSectionsShown{.review = true, .issues = true, .unavailable = true}));
  situation.isFixtureOperation = situation.isEditingChannel = situation.hasSubmitted = true;
  situation.submission = PatchSubmissionState::confirmed(u"Done."_s);
  EXPECT_EQ(patchEditorSectionsShown(situation),
            (PatchEditorSectionsShown{
                .fixtureMode = true, .existingPatch = true, .review = true, .status = true}));
  situation.submission = PatchSubmissionState::idle();
  EXPECT_FALSE(patchEditorSectionsShown(situation).status);
  EXPECT_EQ(patchSubmitTitle(false), u"Patch"_s);
  EXPECT_EQ(patchSubmitTitle(true), u"Apply"_s);
}

TEST(PatchEditorRules, TheReplacementQuestionCountsItsParts) {
  const PatchReplacementQuestion one = patchReplacementQuestion(1);
  EXPECT_EQ(one.title, u"Replace 1 Existing Part?"_s);
  EXPECT_EQ(one.confirmTitle, u"Replace 1 Part and Patch"_s);
  const PatchReplacementQuestion two = patchReplacementQuestion(2);
  EXPECT_EQ(two.title, u"Replace 2 Existing Parts?"_s);
  EXPECT_EQ(two.confirmTitle, u"Replace 2 Parts and Patch"_s);
  EXPECT_EQ(two.message,
            u"Only the listed parts on this channel will be replaced. Conflicts on "
            "other channels remain blocked."_s);
}

TEST(PatchEditorSections, TheLibraryNoteComparesTheVersionsExactly) {
  EXPECT_EQ(libraryNote(std::nullopt, u"4.2.1.0"_s).symbolName, u"questionmark.circle"_s);
  EXPECT_EQ(libraryNote(u"4.2.1.0"_s, u"4.2.1.0"_s),
            (PatchNote{u"checkmark.circle"_s, u"Matches Eos fixture library 4.2.1.0"_s, false}));
  EXPECT_EQ(libraryNote(u"4.2.1.0 "_s, u"4.2.1.0"_s),
            (PatchNote{u"exclamationmark.triangle"_s,
                       u"Selected from library 4.2.1.0; Eos reports 4.2.1.0 . Matching fixture "
                       "libraries are required before patching this profile."_s,
                       true}));
  // A console's 64 KB version is set into the sentence as its first 64 characters.
  EXPECT_EQ(libraryNote(u"4"_s.repeated(65536), u"4.2.1.0"_s).text,
            u"Selected from library 4.2.1.0; Eos reports "_s + u"4"_s.repeated(64) +
                u"…. Matching fixture libraries are required before patching this profile."_s);
  EXPECT_EQ(fixtureChoiceLines(sixteenAddressMode()),
            (QStringList{u"Acme Lights · Beam 2"_s, u"Mode A"_s, u"16 DMX addresses"_s}));
  EXPECT_EQ(fixtureChoiceLines(sixteenAddressMode(std::nullopt)).last(), u"Unknown footprint"_s);
  EXPECT_EQ(fixtureChoiceLines(std::nullopt).first(), u"Choose Manufacturer, Model, and Mode"_s);
}

TEST(PatchEditorSections, ReviewRowsSpanAndSummaryFollowThePlan) {
  PatchDraft range{.operation = PatchOperation::channelRange,
                   .channelStart = 1,
                   .channelThru = 17,
                   .universe = 1,
                   .addressStart = 1};
  const PatchReviewContent seventeen = patchReviewContent(range.operation, plan(range));
  EXPECT_EQ(seventeen.operationTitle, u"Channel Range"_s);
  EXPECT_EQ(seventeen.plannedPartCount, u"17"_s);
  EXPECT_EQ(seventeen.rows.size(), 16);
  EXPECT_EQ(seventeen.rows.first(), (PatchReviewRow{u"Ch 1"_s, u"U1 · 001"_s}));
  EXPECT_EQ(seventeen.morePartsText, u"1 more planned parts"_s);
  EXPECT_EQ(seventeen.dimmerSummary, std::nullopt);
  range.channelThru = 16;
  EXPECT_EQ(patchReviewContent(range.operation, plan(range)).morePartsText, std::nullopt);

  const PatchDraft dimmer{.operation = PatchOperation::dimmerAddressRange,
                          .channelStart = 7,
                          .universe = 2,
                          .addressStart = 5};
  const PatchReviewContent single = patchReviewContent(dimmer.operation, plan(dimmer));
  EXPECT_EQ(single.rows, (QList{PatchReviewRow{u"Ch 7 · Part 1"_s, u"U2 · 005"_s}}));
  EXPECT_EQ(single.dimmerSummary, u"Channel 7 uses 1 DMX addresses: U2 · 005–005."_s);

  PatchDraft fixture{.operation = PatchOperation::fixture,
                     .channelStart = 7,
                     .fixture = sixteenAddressMode(),
                     .universe = 1,
                     .addressStart = 1};
  EXPECT_EQ(modeFootprintText(fixture), u"16 addresses"_s);
  EXPECT_EQ(occupiedSpanText(fixture, plan(fixture)), u"U1 · 001–016"_s);
  fixture.addressStart = 500;
  EXPECT_EQ(modeFootprintText(fixture), u"16 addresses"_s);
  EXPECT_EQ(occupiedSpanText(fixture, plan(fixture)), std::nullopt);
}

TEST(PatchEditorSections, ExistingPatchAndIssueRows) {
  const ExistingPatchContent none = existingPatchContent(channel({}));
  ASSERT_TRUE(none.missingParts);
  EXPECT_TRUE(none.missingParts->isWarning);
  EXPECT_EQ(existingPatchContent(channel({part(1, {}, {})})).replaceTitle,
            u"Replace 1 existing part"_s);
  const ExistingPatchContent three =
      existingPatchContent(channel({part(1, {}, {}), part(2, {}, {}), part(3, {}, {})}));
  EXPECT_EQ(three.replaceTitle, u"Replace 3 existing parts"_s);
  EXPECT_EQ(three.replacementNote,
            u"Replacement is limited to channel 7. You will confirm it "
            "again before Tarnik sends anything."_s);

  using IssueKind = PatchValidationIssue::Kind;
  EXPECT_EQ(patchIssueNote(PatchValidationIssue::aboutPart(
                               IssueKind::replacementRequiresExplicitIntent, {5, 1}))
                .symbolName,
            u"exclamationmark.triangle.fill"_s);
  EXPECT_EQ(patchIssueNote(PatchValidationIssue::of(IssueKind::missingUniverse)),
            (PatchNote{u"exclamationmark.circle"_s, u"Enter a universe."_s, true}));

  // A show whose parts have no end address: an issue per part, the first 50 shown in order.
  QList<PatchValidationIssue> unreadable;
  for (qint64 number = 1; number <= 23000; ++number)
    unreadable.append(
        PatchValidationIssue::aboutPart(IssueKind::unknownExistingRange, {number, 1}));
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const PatchIssueRows many = patchIssueRows(unreadable, english);
  ASSERT_EQ(many.rows.size(), 50);
  EXPECT_EQ(many.rows.last(), patchIssueNote(unreadable[49]));
  EXPECT_EQ(many.moreIssuesText, u"and 22,950 more"_s);
  EXPECT_EQ(patchIssueRows(unreadable.first(50), english).moreIssuesText, std::nullopt);
}

TEST(PatchEditorSections, TheLargestTypedValuesGiveThePlannersRangeIssue) {
  const std::optional<qint64> largest = integerFromTypedText(u"9223372036854775807"_s);
  ASSERT_EQ(largest, int64Max);
  const PatchDraft dimmer{.operation = PatchOperation::dimmerAddressRange,
                          .channelStart = 7,
                          .universe = 1,
                          .addressStart = 2,
                          .addressThru = largest};
  const PatchDraft channels{.operation = PatchOperation::channelRange,
                            .channelStart = 7,
                            .channelThru = largest,
                            .universe = 1,
                            .addressStart = 2};
  PatchDraft fixture{.operation = PatchOperation::fixture,
                     .channelStart = 7,
                     .fixture = sixteenAddressMode(largest),
                     .universe = 1,
                     .addressStart = 2};
  EXPECT_EQ(plan(dimmer).issues, QList{PatchValidationIssue::crossUniverse(1, 2, int64Max - 1)});
  EXPECT_EQ(plan(channels).issues,
            QList{PatchValidationIssue::channelOutOfBounds(int64Max, 99999)});
  EXPECT_EQ(plan(fixture).issues, QList{PatchValidationIssue::crossUniverse(1, 2, int64Max)});
  // Past the limits the field holds nothing, and the planner asks for the value.
  fixture.addressStart = integerFromTypedText(u"9223372036854775808"_s);
  EXPECT_EQ(plan(fixture).issues,
            QList{PatchValidationIssue::of(PatchValidationIssue::Kind::missingAddress)});
}

TEST(PatchSubmissionStatus, EachStateHasItsHeaderTextsAndAction) {
  using Action = PatchSubmissionStatus::Action;
  EXPECT_EQ(patchSubmissionStatus(PatchSubmissionState::idle()), std::nullopt);
  const std::pair<PatchSubmissionState, QString> progress[] = {
      {PatchSubmissionState::checking(), u"Checking the current Eos patch…"_s},
      {PatchSubmissionState::sending(), u"Sending patch to Eos…"_s},
      {PatchSubmissionState::verifying(), u"Reading back every patched part…"_s},
  };
  for (const auto &[state, text] : progress) {
    const auto status = patchSubmissionStatus(state);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->header, u"Status"_s);
    EXPECT_EQ(status->progressText, text);
    EXPECT_EQ(status->action, Action::none);
  }
  const QString markup = u"<b>Eos</b> & co"_s;
  const auto confirmed = patchSubmissionStatus(PatchSubmissionState::confirmed(markup));
  EXPECT_EQ(confirmed->header, u"Confirmed by Eos"_s);
  EXPECT_EQ(confirmed->resultText, markup);
  EXPECT_EQ(confirmed->resultName, u"patch.submission.confirmed"_s);
  EXPECT_EQ(confirmed->action, Action::done);
  const auto unconfirmed = patchSubmissionStatus(PatchSubmissionState::sentUnconfirmed(markup));
  EXPECT_EQ(unconfirmed->header, u"Sent to Eos · Not Confirmed"_s);
  EXPECT_EQ(unconfirmed->note,
            u"Eos may contain partial changes. Inspect the current patch "
            "before submitting again."_s);
  EXPECT_EQ(unconfirmed->action, Action::syncAndClose);
  const auto failed = patchSubmissionStatus(PatchSubmissionState::failed(markup));
  EXPECT_EQ(failed->header, u"Not Confirmed"_s);
  EXPECT_EQ(failed->resultName, u"patch.submission.failed"_s);
  EXPECT_EQ(failed->action, Action::reviewAgain);
}

TEST(PatchEditorSections, EverySymbolTheEditorNamesIsBundled) {
  QStringList names{u"checkmark"_s, u"chevron.right"_s, u"lock"_s};
  for (const PatchOperation operation : allCases(PatchOperation{}))
    names.append(patchOperationRow(operation).symbolName);
  for (const auto &reported :
       {std::optional<QString>(), std::optional(u"1"_s), std::optional(u"2"_s)})
    names.append(libraryNote(reported, u"1"_s).symbolName);
  for (const auto kind :
       {PatchValidationIssue::Kind::occupiedRange, PatchValidationIssue::Kind::missingChannel})
    names.append(patchIssueNote(PatchValidationIssue::of(kind)).symbolName);
  for (const auto &state : {PatchSubmissionState::confirmed({}), PatchSubmissionState::failed({})})
    names.append(patchSubmissionStatus(state)->resultSymbol);
  names.append(existingPatchContent(channel({})).missingParts->symbolName);
  for (const QString &name : names)
    EXPECT_FALSE(symbolPixmap(name, Qt::black, 16).isNull()) << name.toStdString();
}

}  // namespace
}  // namespace tarnik
