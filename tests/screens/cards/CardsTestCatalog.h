#pragma once

// A small fixture parameter catalog written with the catalog builder, for the parameters
// card: "Acme" "Spot 300", 16 slots, Pan at slot 1, Tilt at 2, Intens at 3.

#include "model/catalog/CatalogResourceLocator.h"

#include <QString>
#include <QTemporaryDir>

namespace tarnik::testing {

inline const QString cardsCatalogLibraryVersion = QStringLiteral("3.2.1.75");

// Writes the catalog into a folder of its own and finds it there.
class CardsTestCatalog {
 public:
  CardsTestCatalog();
  CatalogResourceLocator bundle() const { return CatalogResourceLocator({folder_.path()}); }

 private:
  QTemporaryDir folder_;
};

}  // namespace tarnik::testing
