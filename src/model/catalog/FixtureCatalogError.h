#pragma once

#include "model/catalog/CatalogError.h"

namespace tarnik {

// Why the fixture catalog could not be loaded; description() is the text the user sees.
struct FixtureCatalogError : CatalogError<FixtureCatalogError> {
  static constexpr QStringView catalogName = u"fixture catalog";

  static FixtureCatalogError duplicateModeID(const QString &id) {
    return made(Kind::duplicate, 0, QStringLiteral("mode ID ") + id);
  }
};

}  // namespace tarnik
