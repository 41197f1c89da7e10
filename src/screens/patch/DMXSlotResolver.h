#pragma once

#include "model/catalog/CatalogResourceLocator.h"
#include "screens/kit/KeyedTask.h"
#include "screens/patch/FixtureParameterSlots.h"

#include <QMetaObject>

#include <functional>
#include <optional>

namespace tarnik {

class FixtureParameterCatalogStore;

// Works out the DMX slots of a channel's parameters for one lookup identity: it asks the
// catalog to load and waits while it loads, looks up one part's slot map at a time on the
// thread pool over the catalog's shared immutable database, and resolves every name once all
// parts are done.
// A new identity, or cancel(), drops the run under way: nothing of an older run is ever
// published. GUI thread only.
class DMXSlotResolver {
 public:
  struct Result {
    FixtureParameterDMXByName dmxByParameterName;
    // The catalog's library version, when the catalog placed anything.
    std::optional<QString> resolvedLibraryVersion;
  };
  using Publish = std::function<void(const Result &)>;

  DMXSlotResolver(QObject *receiver, FixtureParameterCatalogStore &catalog,
                  CatalogResourceLocator bundle,
                  KeyedTaskExecutor &executor = KeyedTaskExecutor::threadPool());
  ~DMXSlotResolver();

  // Starts a run for the identity, dropping any run before it. An identity without
  // parameter names resolves nothing and publishes nothing.
  void resolve(const FixtureParameterLookupID &identity, Publish publish);
  void cancel();

 private:
  void lookUpFrom(qsizetype partIndex);
  void finish();

  QObject *const receiver_;
  FixtureParameterCatalogStore &catalog_;
  const CatalogResourceLocator bundle_;
  KeyedTask<std::optional<FixtureParameterSlotMap>> lookup_;

  // The run under way.
  FixtureParameterLookupID identity_;
  FixtureParameterSlotMaps slotMaps_;
  Publish publish_;
  // Set while the run waits for the catalog to finish loading.
  QMetaObject::Connection catalogLoaded_;
};

}  // namespace tarnik
