#pragma once

// Catalogs the browser's tests write with the catalog builder, and the store loaded from
// them.

#include "CatalogDescriptions.h"
#include "model/catalog/FixtureCatalogStore.h"

#include <QTemporaryDir>

namespace tarnik::catalogtest {

// "Acme": "Spot 300" (modes "Standard", profile 16 and total 20 addresses; "Extended", 24)
// and "Wash 1" (one mode without a mode text or footprint). "Clay_Paky": "Sharpy_Wash_330"
// (mode "Mode_1", a profile footprint of 16 only). "Bulk": "Zoomer" with 100 modes "Zoom
// 000"... and "Tilter" with 99 modes "Tilt 000"..., for the result limit. Library version
// "3.2.1.75".
FixtureCatalogDescription browserCatalog();

// A folder holding FixtureCatalog.tfcat, and the bundle that finds it.
class CatalogFolder {
 public:
  CatalogFolder();
  // Writes the description in its compressed container.
  void write(const FixtureCatalogDescription &catalog);
  // Writes the container with a digest that does not match its payload.
  void writeCorrupt(const FixtureCatalogDescription &catalog);
  CatalogResourceLocator bundle() const;

 private:
  void writeBytes(const QByteArray &bytes);
  QTemporaryDir folder_;
};

// Loads the store from the bundle and waits until it is ready or failed.
bool loadStore(FixtureCatalogStore &store, const CatalogResourceLocator &bundle);

}  // namespace tarnik::catalogtest
