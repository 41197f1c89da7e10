#pragma once

#include "model/EosDMXRange.h"
#include "model/EosPatchPart.h"

#include <QString>

namespace tarnik {

// One problem that stands in the way of a patch edit. Only the payload fields of the
// issue's kind are set (the factories leave the others at zero), so equality compares the
// kind and its payload.
struct PatchValidationIssue {
  enum class Kind {
    invalidBounds,
    missingChannel,
    channelOutOfBounds,
    invalidCount,
    missingUniverse,
    universeOutOfBounds,
    missingAddress,
    addressOutOfBounds,
    crossUniverse,
    missingFixture,
    fixtureNotSourceBacked,
    unknownFixtureFootprint,
    nonpositiveFixtureFootprint,
    replacementRequiresExplicitIntent,
    duplicateExistingPart,
    replacementTargetNotFound,
    replacementTargetMismatch,
    unknownExistingRange,
    occupiedRange,
  };

  Kind kind = Kind::invalidBounds;
  qint64 channel = 0;           // channelOutOfBounds
  qint64 universe = 0;          // universeOutOfBounds, crossUniverse
  qint64 maximum = 0;           // channelOutOfBounds, universeOutOfBounds
  qint64 address = 0;           // addressOutOfBounds
  qint64 start = 0;             // crossUniverse
  qint64 footprint = 0;         // crossUniverse, nonpositiveFixtureFootprint
  EosPatchPart::ID part{};      // the part named by the replacement, duplicate and range checks
  EosPatchPart::ID planned{};   // occupiedRange
  EosPatchPart::ID existing{};  // occupiedRange
  EosDMXRange overlap{};        // occupiedRange

  static PatchValidationIssue of(Kind kind);
  static PatchValidationIssue channelOutOfBounds(qint64 channel, qint64 maximum);
  static PatchValidationIssue universeOutOfBounds(qint64 universe, qint64 maximum);
  static PatchValidationIssue addressOutOfBounds(qint64 address);
  static PatchValidationIssue crossUniverse(qint64 universe, qint64 start, qint64 footprint);
  static PatchValidationIssue nonpositiveFixtureFootprint(qint64 footprint);
  // replacementRequiresExplicitIntent, duplicateExistingPart, replacementTargetNotFound,
  // replacementTargetMismatch and unknownExistingRange.
  static PatchValidationIssue aboutPart(Kind kind, EosPatchPart::ID part);
  static PatchValidationIssue occupiedRange(EosPatchPart::ID planned, EosPatchPart::ID existing,
                                            EosDMXRange overlap);

  // The sentence shown to the user.
  QString message() const;

  friend bool operator==(const PatchValidationIssue &, const PatchValidationIssue &) = default;
};

size_t qHash(const PatchValidationIssue &issue, size_t seed = 0);

}  // namespace tarnik
