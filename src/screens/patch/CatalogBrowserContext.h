#pragma once

#include "model/catalog/FixtureCatalogRecords.h"

#include <functional>

namespace tarnik {

class FixtureCatalogStore;
class KeyedTaskExecutor;
class NavigationStack;

// What every page of the catalog browser shares: the store it lists, the stack it drills
// down on, where its lookups run, and the browser's action for a picked mode.
struct CatalogBrowserContext {
  FixtureCatalogStore *store = nullptr;
  NavigationStack *navigation = nullptr;
  KeyedTaskExecutor *executor = nullptr;
  std::function<void(const FixtureCatalogMode &)> select;
};

}  // namespace tarnik
