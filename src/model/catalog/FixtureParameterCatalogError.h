#pragma once

#include "model/catalog/CatalogError.h"

namespace tarnik {

// Why the fixture parameter catalog could not be loaded; description() is the user text.
struct FixtureParameterCatalogError : CatalogError<FixtureParameterCatalogError> {
  static constexpr QStringView catalogName = u"fixture parameter catalog";

  static FixtureParameterCatalogError duplicate(QString label) {
    return made(Kind::duplicate, 0, std::move(label));
  }
};

}  // namespace tarnik
