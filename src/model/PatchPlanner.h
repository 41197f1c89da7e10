#pragma once

#include "model/EosPatchPart.h"
#include "model/PatchDraft.h"
#include "model/PatchIndex.h"
#include "model/PatchPlan.h"

#include <QList>

namespace tarnik {

// Turns a patch request into the parts a write would create and the problems in its way.
// Pure: no input makes it fail, every problem becomes an issue.
class PatchPlanner {
 public:
  // `existing` is the console's current patch in any order. The request's own checks stop
  // at the first problem; the comparison with the current patch reports every problem.
  static PatchPlan plan(const PatchDraft &draft, const QList<EosPatchPart> &existing,
                        qint64 channelMaximum, qint64 universeMaximum);
  // The same against a patch indexed once, for a caller that plans many drafts against it.
  static PatchPlan plan(const PatchDraft &draft, const PatchIndex &current, qint64 channelMaximum,
                        qint64 universeMaximum);
};

}  // namespace tarnik
