#include "model/PatchValidationIssue.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
// "12, part 2"
QString partNumbers(const EosPatchPart::ID &id) {
  return QString::number(id.channelNumber) + u", part "_s + QString::number(id.partNumber);
}
}  // namespace

PatchValidationIssue PatchValidationIssue::of(Kind kind) {
  PatchValidationIssue issue;
  issue.kind = kind;
  return issue;
}

PatchValidationIssue PatchValidationIssue::channelOutOfBounds(qint64 channel, qint64 maximum) {
  PatchValidationIssue issue = of(Kind::channelOutOfBounds);
  issue.channel = channel;
  issue.maximum = maximum;
  return issue;
}

PatchValidationIssue PatchValidationIssue::universeOutOfBounds(qint64 universe, qint64 maximum) {
  PatchValidationIssue issue = of(Kind::universeOutOfBounds);
  issue.universe = universe;
  issue.maximum = maximum;
  return issue;
}

PatchValidationIssue PatchValidationIssue::addressOutOfBounds(qint64 address) {
  PatchValidationIssue issue = of(Kind::addressOutOfBounds);
  issue.address = address;
  return issue;
}

PatchValidationIssue PatchValidationIssue::crossUniverse(qint64 universe, qint64 start,
                                                         qint64 footprint) {
  PatchValidationIssue issue = of(Kind::crossUniverse);
  issue.universe = universe;
  issue.start = start;
  issue.footprint = footprint;
  return issue;
}

PatchValidationIssue PatchValidationIssue::nonpositiveFixtureFootprint(qint64 footprint) {
  PatchValidationIssue issue = of(Kind::nonpositiveFixtureFootprint);
  issue.footprint = footprint;
  return issue;
}

PatchValidationIssue PatchValidationIssue::aboutPart(Kind kind, EosPatchPart::ID part) {
  PatchValidationIssue issue = of(kind);
  issue.part = part;
  return issue;
}

PatchValidationIssue PatchValidationIssue::occupiedRange(EosPatchPart::ID planned,
                                                         EosPatchPart::ID existing,
                                                         EosDMXRange overlap) {
  PatchValidationIssue issue = of(Kind::occupiedRange);
  issue.planned = planned;
  issue.existing = existing;
  issue.overlap = overlap;
  return issue;
}

QString PatchValidationIssue::message() const {
  switch (kind) {
    case Kind::invalidBounds:
      return u"Console patch limits are unavailable."_s;
    case Kind::missingChannel:
      return u"Enter a channel."_s;
    case Kind::channelOutOfBounds:
      return u"Channel %1 must be between 1 and %2."_s.arg(channel).arg(maximum);
    case Kind::invalidCount:
      return u"Thru must be at least the starting number."_s;
    case Kind::missingUniverse:
      return u"Enter a universe."_s;
    case Kind::universeOutOfBounds:
      return u"Universe %1 must be between 1 and %2."_s.arg(universe).arg(maximum);
    case Kind::missingAddress:
      return u"Enter a starting DMX address."_s;
    case Kind::addressOutOfBounds:
      return u"DMX address %1 must be between 1 and 512."_s.arg(address);
    case Kind::crossUniverse:
      return u"%1 addresses starting at %2 extend past DMX 512."_s.arg(footprint).arg(start);
    case Kind::missingFixture:
      return u"Choose a fixture mode."_s;
    case Kind::fixtureNotSourceBacked:
      return u"The fixture mode has no verified library source."_s;
    case Kind::unknownFixtureFootprint:
      return u"The fixture mode's DMX footprint is unknown."_s;
    case Kind::nonpositiveFixtureFootprint:
      return u"The fixture mode has an invalid DMX footprint."_s;
    case Kind::replacementRequiresExplicitIntent:
      return u"Channel "_s + partNumbers(part) + u" already exists. Confirm its replacement."_s;
    case Kind::duplicateExistingPart:
      return u"Channel "_s + partNumbers(part) + u" has duplicate patch records. Sync again."_s;
    case Kind::replacementTargetNotFound:
      return u"Channel "_s + partNumbers(part) + u" changed. Review the current patch."_s;
    case Kind::replacementTargetMismatch:
      return u"Replacement of channel "_s + partNumbers(part) + u" is outside this patch."_s;
    case Kind::unknownExistingRange:
      return u"Channel "_s + partNumbers(part) +
             u" has an incomplete address range. Sync before patching."_s;
    case Kind::occupiedRange:
      return overlap.displayText() + u" is occupied by channel "_s + partNumbers(existing) + u'.';
  }
  return {};
}

size_t qHash(const PatchValidationIssue &issue, size_t seed) {
  seed = qHashMulti(seed, static_cast<int>(issue.kind), issue.channel, issue.universe,
                    issue.maximum, issue.address, issue.start, issue.footprint);
  return qHashMulti(seed, issue.part, issue.planned, issue.existing, issue.overlap);
}

}  // namespace tarnik
