#pragma once

// The large catalog the catalog benches search: 2,000 makers of 50 models with 5 modes
// each, 500,000 modes named the way fixture libraries name them.

#include "CatalogDescriptions.h"

namespace tarnik {

FixtureCatalogDescription syntheticFixtureCatalog();

}  // namespace tarnik
