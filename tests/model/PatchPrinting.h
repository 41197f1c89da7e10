#pragma once

#include "model/PatchPlan.h"

#include <ostream>

namespace tarnik {

// Readable failure output for plans: each issue as its sentence, each part as its identity
// and range.
inline void PrintTo(const PatchValidationIssue &issue, std::ostream *out) {
  *out << "issue " << static_cast<int>(issue.kind) << " \"" << issue.message().toStdString() << '"';
}

inline void PrintTo(const PatchPlannedPart &part, std::ostream *out) {
  *out << "part " << part.channelNumber << '/' << part.partNumber << " at "
       << part.occupiedRange.displayText().toStdString();
}

}  // namespace tarnik
