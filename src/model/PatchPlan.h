#pragma once

#include "model/EosDMXRange.h"
#include "model/EosPatchPart.h"
#include "model/PatchFixtureChoice.h"
#include "model/PatchValidationIssue.h"

#include <QList>
#include <QString>

#include <optional>

namespace tarnik {

// One channel part that a patch write would create.
struct PatchPlannedPart {
  qint64 channelNumber = 0;
  qint64 partNumber = 0;  // from 1
  QString label{};
  std::optional<PatchFixtureChoice> fixture{};  // absent for the two range operations
  EosDMXRange occupiedRange{};

  EosPatchPart::ID id() const { return {channelNumber, partNumber}; }

  friend bool operator==(const PatchPlannedPart &, const PatchPlannedPart &);
};

// What a patch edit would write and what stands in its way. A plan with issues is never
// sent, even when it carries parts.
struct PatchPlan {
  QList<PatchPlannedPart> parts{};
  QList<PatchValidationIssue> issues{};

  friend bool operator==(const PatchPlan &, const PatchPlan &);
};

size_t qHash(const PatchPlannedPart &part, size_t seed = 0);
size_t qHash(const PatchPlan &plan, size_t seed = 0);

}  // namespace tarnik
