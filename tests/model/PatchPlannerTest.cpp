#include "PatchPrinting.h"
#include "model/PatchPlanner.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Issue = PatchValidationIssue;
using Kind = PatchValidationIssue::Kind;
using ID = EosPatchPart::ID;

constexpr qint64 channelMaximum = 99999;
constexpr qint64 universeMaximum = 63999;
constexpr qint64 int64Max = std::numeric_limits<qint64>::max();

PatchFixtureChoice choice(std::optional<qint64> footprint,
                          QString source = u"Installed ETC Eos fixture library"_s) {
  return {.source = std::move(source),
          .version = u"3.2"_s,
          .id = u"mode-1"_s,
          .manufacturer = u"Acme"_s,
          .model = u"Spot"_s,
          .mode = u"Standard"_s,
          .footprint = footprint,
          .cellCount = 1};
}

PatchDraft fixtureDraft(qint64 address, std::optional<qint64> footprint = 4) {
  return {.operation = PatchOperation::fixture,
          .channelStart = 7,
          .label = u"Key"_s,
          .fixture = choice(footprint),
          .universe = 1,
          .addressStart = address};
}

PatchDraft dimmerDraft(qint64 first, std::optional<qint64> thru) {
  return {.operation = PatchOperation::dimmerAddressRange,
          .channelStart = 5,
          .universe = 1,
          .addressStart = first,
          .addressThru = thru};
}

PatchDraft channelRangeDraft(qint64 first, std::optional<qint64> thru, qint64 address) {
  return {.operation = PatchOperation::channelRange,
          .channelStart = first,
          .channelThru = thru,
          .universe = 1,
          .addressStart = address};
}

EosPatchPart existingPart(qint64 channel, qint64 part, QString address, QString addressEnd) {
  return {.channelNumber = channel,
          .partNumber = part,
          .address = std::move(address),
          .addressEnd = std::move(addressEnd)};
}

PatchPlan plan(const PatchDraft &draft, const QList<EosPatchPart> &existing = {}) {
  return PatchPlanner::plan(draft, existing, channelMaximum, universeMaximum);
}

QList<ID> partIDs(const PatchPlan &plan) {
  QList<ID> ids;
  for (const PatchPlannedPart &part : plan.parts) ids.append(part.id());
  return ids;
}

TEST(PatchPlanner, RequestChecksStopAtTheFirstProblem) {
  const PatchDraft valid = fixtureDraft(1);
  const auto with = [&](auto change) {
    PatchDraft draft = valid;
    change(draft);
    return draft;
  };
  const struct {
    PatchDraft draft;
    qint64 channels;
    qint64 universes;
    Issue expected;
  } rows[] = {
      {valid, 0, universeMaximum, Issue::of(Kind::invalidBounds)},
      {valid, channelMaximum, -1, Issue::of(Kind::invalidBounds)},
      {with([](PatchDraft &d) {
         d.channelStart.reset();
         d.universe.reset();
       }),
       channelMaximum, universeMaximum, Issue::of(Kind::missingChannel)},
      {with([](PatchDraft &d) { d.channelStart = 0; }), channelMaximum, universeMaximum,
       Issue::channelOutOfBounds(0, channelMaximum)},
      {with([](PatchDraft &d) { d.universe.reset(); }), channelMaximum, universeMaximum,
       Issue::of(Kind::missingUniverse)},
      {with([](PatchDraft &d) { d.universe = 64000; }), channelMaximum, universeMaximum,
       Issue::universeOutOfBounds(64000, universeMaximum)},
      {with([](PatchDraft &d) { d.addressStart.reset(); }), channelMaximum, universeMaximum,
       Issue::of(Kind::missingAddress)},
      {with([](PatchDraft &d) { d.addressStart = 513; }), channelMaximum, universeMaximum,
       Issue::addressOutOfBounds(513)},
      {with([](PatchDraft &d) { d.fixture.reset(); }), channelMaximum, universeMaximum,
       Issue::of(Kind::missingFixture)},
      {fixtureDraft(1, std::nullopt), channelMaximum, universeMaximum,
       Issue::of(Kind::unknownFixtureFootprint)},
      {fixtureDraft(1, 0), channelMaximum, universeMaximum, Issue::nonpositiveFixtureFootprint(0)},
      {fixtureDraft(510), channelMaximum, universeMaximum, Issue::crossUniverse(1, 510, 4)},
      {fixtureDraft(2, int64Max), channelMaximum, universeMaximum,
       Issue::crossUniverse(1, 2, int64Max)},
      {dimmerDraft(10, 9), channelMaximum, universeMaximum, Issue::of(Kind::invalidCount)},
      {dimmerDraft(500, 513), channelMaximum, universeMaximum, Issue::crossUniverse(1, 500, 14)},
      {dimmerDraft(1, int64Max), channelMaximum, universeMaximum,
       Issue::crossUniverse(1, 1, int64Max)},
      {channelRangeDraft(10, 9, 1), channelMaximum, universeMaximum, Issue::of(Kind::invalidCount)},
      {channelRangeDraft(10, 100000, 1), channelMaximum, universeMaximum,
       Issue::channelOutOfBounds(100000, channelMaximum)},
      {channelRangeDraft(10, 12, 511), channelMaximum, universeMaximum,
       Issue::crossUniverse(1, 511, 3)},
      {channelRangeDraft(1, int64Max, 512), int64Max, universeMaximum,
       Issue::crossUniverse(1, 512, int64Max)},
  };
  for (const auto &row : rows) {
    const PatchPlan result = PatchPlanner::plan(row.draft, {}, row.channels, row.universes);
    EXPECT_EQ(result, (PatchPlan{{}, {row.expected}})) << row.expected.message().toStdString();
  }
}

TEST(PatchPlanner, ExpandsEachOperation) {
  const PatchPlan fixture = plan(fixtureDraft(509));
  ASSERT_EQ(fixture.parts.size(), 1);
  EXPECT_EQ(fixture.parts[0],
            (PatchPlannedPart{7, 1, u"Key"_s, choice(4), EosDMXRange{1, 509, 512}}));
  EXPECT_TRUE(fixture.issues.isEmpty());

  const PatchPlan dimmers = plan(dimmerDraft(10, 12));
  EXPECT_EQ(partIDs(dimmers), (QList<ID>{{5, 1}, {5, 2}, {5, 3}}));
  EXPECT_EQ(dimmers.parts[2].occupiedRange, (EosDMXRange{1, 12, 12}));
  EXPECT_EQ(dimmers.parts[2].fixture, std::nullopt);
  EXPECT_EQ(plan(dimmerDraft(512, std::nullopt)).parts.size(), 1);

  const PatchPlan channels = plan(channelRangeDraft(10, 11, 511));
  EXPECT_EQ(partIDs(channels), (QList<ID>{{10, 1}, {11, 1}}));
  EXPECT_EQ(channels.parts[1].occupiedRange, (EosDMXRange{1, 512, 512}));
}

TEST(PatchPlanner, UnbackedFixtureStillPlansButCarriesTheIssue) {
  PatchDraft draft = fixtureDraft(509);
  draft.fixture = choice(4, u" "_s);
  const PatchPlan fits = plan(draft, {existingPart(1, 1, u"1/512"_s, u"1/512"_s)});
  EXPECT_EQ(fits.parts.size(), 1);
  EXPECT_EQ(fits.issues,
            (QList<Issue>{Issue::of(Kind::fixtureNotSourceBacked),
                          Issue::occupiedRange({7, 1}, {1, 1}, EosDMXRange{1, 512, 512})}));

  draft.addressStart = 510;
  EXPECT_EQ(
      plan(draft),
      (PatchPlan{{}, {Issue::of(Kind::fixtureNotSourceBacked), Issue::crossUniverse(1, 510, 4)}}));
}

TEST(PatchPlanner, ReplacementNeedsConsentAndFreesTheAddresses) {
  const QList<EosPatchPart> existing{existingPart(7, 1, u"1/3"_s, u"1/4"_s)};
  EXPECT_EQ(plan(fixtureDraft(1), existing).issues,
            (QList<Issue>{Issue::aboutPart(Kind::replacementRequiresExplicitIntent, {7, 1}),
                          Issue::occupiedRange({7, 1}, {7, 1}, EosDMXRange{1, 3, 4})}));

  PatchDraft consented = fixtureDraft(1);
  consented.partsToReplace = {{7, 1}};
  EXPECT_TRUE(plan(consented, existing).issues.isEmpty());
  EXPECT_EQ(plan(consented, existing).parts.size(), 1);

  PatchDraft stale = fixtureDraft(100);
  stale.partsToReplace = {{9, 1}, {7, 2}, {7, 1}};
  const QList<EosPatchPart> patch{existingPart(7, 1, u""_s, u""_s),
                                  existingPart(9, 1, u"1/101"_s, u"1/101"_s)};
  EXPECT_EQ(plan(stale, patch).issues,
            (QList<Issue>{Issue::aboutPart(Kind::replacementTargetNotFound, {7, 2}),
                          Issue::aboutPart(Kind::replacementTargetMismatch, {9, 1}),
                          Issue::occupiedRange({7, 1}, {9, 1}, EosDMXRange{1, 101, 101})}));
}

TEST(PatchPlanner, ReportsDuplicatesAndUnreadableRanges) {
  const QList<EosPatchPart> existing{
      existingPart(3, 1, u"2/1"_s, u"2/1"_s), existingPart(2, 1, u"2/5"_s, u""_s),
      existingPart(3, 1, u"2/1"_s, u"2/1"_s), existingPart(3, 1, u""_s, u" "_s),
      existingPart(4, 1, u" "_s, u"\n"_s),    existingPart(1, 2, u"2/x"_s, u"2/9"_s),
  };
  EXPECT_EQ(plan(fixtureDraft(400), existing).issues,
            (QList<Issue>{Issue::aboutPart(Kind::duplicateExistingPart, {3, 1}),
                          Issue::aboutPart(Kind::duplicateExistingPart, {3, 1}),
                          Issue::aboutPart(Kind::unknownExistingRange, {1, 2}),
                          Issue::aboutPart(Kind::unknownExistingRange, {2, 1})}));
}

TEST(PatchPlanner, TheLastOfDuplicateRecordsStands) {
  const EosPatchPart elsewhere = existingPart(3, 1, u"2/1"_s, u"2/1"_s);
  const EosPatchPart inTheWay = existingPart(3, 1, u"1/401"_s, u"1/401"_s);
  const Issue overlap = Issue::occupiedRange({7, 1}, {3, 1}, EosDMXRange{1, 401, 401});
  EXPECT_TRUE(plan(fixtureDraft(400), {elsewhere, inTheWay}).issues.contains(overlap));
  EXPECT_FALSE(plan(fixtureDraft(400), {inTheWay, elsewhere}).issues.contains(overlap));
}

TEST(PatchPlanner, OverlapsComeInPlanOrderPerExistingPart) {
  const QList<EosPatchPart> existing{
      existingPart(20, 1, u"1/12"_s, u"1/30"_s),  // spans three planned parts
      existingPart(12, 2, u"1/5"_s, u"1/8"_s),
      existingPart(12, 3, u"2/10"_s, u"2/10"_s),  // other universe
      existingPart(12, 4, u"1/9"_s, u"1/9"_s),
  };
  EXPECT_EQ(plan(dimmerDraft(8, 14), existing).issues,
            (QList<Issue>{Issue::occupiedRange({5, 1}, {12, 2}, EosDMXRange{1, 8, 8}),
                          Issue::occupiedRange({5, 2}, {12, 4}, EosDMXRange{1, 9, 9}),
                          Issue::occupiedRange({5, 5}, {20, 1}, EosDMXRange{1, 12, 12}),
                          Issue::occupiedRange({5, 6}, {20, 1}, EosDMXRange{1, 13, 13}),
                          Issue::occupiedRange({5, 7}, {20, 1}, EosDMXRange{1, 14, 14})}));
}

}  // namespace
}  // namespace tarnik
