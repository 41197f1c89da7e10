#include "model/catalog/CatalogLabel.h"

namespace tarnik {

QString CatalogLabel::text() const {
  QString result = QString::fromUtf8(pattern_);
  const long long indexes[] = {first_, second_};
  for (const long long index : indexes) {
    const qsizetype at = result.indexOf(u"{}");
    if (at < 0) break;
    result.replace(at, 2, QString::number(index));
  }
  if (lengthSuffix_) result += QStringLiteral(" length");
  return result;
}

}  // namespace tarnik
