#include "model/PatchSubmissionState.h"
#include "model/PatchValidationIssue.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Issue = PatchValidationIssue;
using Kind = PatchValidationIssue::Kind;

TEST(PatchValidationIssue, EveryKindHasItsSentence) {
  const struct {
    Issue issue;
    QString text;
  } rows[] = {
      {Issue::of(Kind::invalidBounds), u"Console patch limits are unavailable."_s},
      {Issue::of(Kind::missingChannel), u"Enter a channel."_s},
      {Issue::channelOutOfBounds(0, 99999), u"Channel 0 must be between 1 and 99999."_s},
      {Issue::channelOutOfBounds(-12, 99999), u"Channel -12 must be between 1 and 99999."_s},
      {Issue::of(Kind::invalidCount), u"Thru must be at least the starting number."_s},
      {Issue::of(Kind::missingUniverse), u"Enter a universe."_s},
      {Issue::universeOutOfBounds(64000, 63999), u"Universe 64000 must be between 1 and 63999."_s},
      {Issue::of(Kind::missingAddress), u"Enter a starting DMX address."_s},
      {Issue::addressOutOfBounds(513), u"DMX address 513 must be between 1 and 512."_s},
      {Issue::crossUniverse(3, 510, 4), u"4 addresses starting at 510 extend past DMX 512."_s},
      {Issue::crossUniverse(1, 512, 9223372036854775807),
       u"9223372036854775807 addresses starting at 512 extend past DMX 512."_s},
      {Issue::of(Kind::missingFixture), u"Choose a fixture mode."_s},
      {Issue::of(Kind::fixtureNotSourceBacked),
       u"The fixture mode has no verified library source."_s},
      {Issue::of(Kind::unknownFixtureFootprint), u"The fixture mode's DMX footprint is unknown."_s},
      {Issue::nonpositiveFixtureFootprint(-3), u"The fixture mode has an invalid DMX footprint."_s},
      {Issue::aboutPart(Kind::replacementRequiresExplicitIntent, {12, 2}),
       u"Channel 12, part 2 already exists. Confirm its replacement."_s},
      {Issue::aboutPart(Kind::duplicateExistingPart, {12, 2}),
       u"Channel 12, part 2 has duplicate patch records. Sync again."_s},
      {Issue::aboutPart(Kind::replacementTargetNotFound, {12, 2}),
       u"Channel 12, part 2 changed. Review the current patch."_s},
      {Issue::aboutPart(Kind::replacementTargetMismatch, {12, 2}),
       u"Replacement of channel 12, part 2 is outside this patch."_s},
      {Issue::aboutPart(Kind::unknownExistingRange, {12, 2}),
       u"Channel 12, part 2 has an incomplete address range. Sync before patching."_s},
      {Issue::occupiedRange({7, 1}, {12, 2}, EosDMXRange{1, 5, 8}),
       u"U1 \u00B7 005\u2013008 is occupied by channel 12, part 2."_s},
      {Issue::occupiedRange({7, 1}, {12, 2}, EosDMXRange{1, 9, 9}),
       u"U1 \u00B7 009 is occupied by channel 12, part 2."_s},
  };
  for (const auto &row : rows) EXPECT_EQ(row.issue.message(), row.text);
}

TEST(PatchValidationIssue, EqualByKindAndPayload) {
  EXPECT_EQ(Issue::crossUniverse(1, 510, 4), Issue::crossUniverse(1, 510, 4));
  EXPECT_NE(Issue::crossUniverse(1, 510, 4), Issue::crossUniverse(2, 510, 4));
  EXPECT_NE(Issue::aboutPart(Kind::duplicateExistingPart, {1, 2}),
            Issue::aboutPart(Kind::unknownExistingRange, {1, 2}));
  const QSet<Issue> issues{Issue::of(Kind::missingChannel), Issue::of(Kind::missingChannel),
                           Issue::occupiedRange({1, 1}, {2, 1}, EosDMXRange{1, 1, 1})};
  EXPECT_EQ(issues.size(), 2);
}

TEST(PatchSubmissionState, EqualByCaseAndText) {
  using State = PatchSubmissionState;
  EXPECT_EQ(State::confirmed(u"A"_s), State::confirmed(u"A"_s));
  EXPECT_NE(State::confirmed(u"A"_s), State::sentUnconfirmed(u"A"_s));
  EXPECT_NE(State::failed(u"A"_s), State::failed(u"B"_s));
  EXPECT_EQ(State{}, State::idle());
  EXPECT_NE(State::checking(), State::verifying());
}

}  // namespace
}  // namespace tarnik
