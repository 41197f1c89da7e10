#include "model/ShowIdentity.h"

#include "foundation/TextRules.h"

namespace tarnik {

QString showIdentity(const QString &reportedPath) { return trimmedText(reportedPath); }

bool isSameShow(const QString &lhs, const QString &rhs) {
  return showIdentity(lhs) == showIdentity(rhs);
}

bool isSameShow(const std::optional<QString> &lhs, const std::optional<QString> &rhs) {
  return lhs && rhs && isSameShow(*lhs, *rhs);
}

}  // namespace tarnik
