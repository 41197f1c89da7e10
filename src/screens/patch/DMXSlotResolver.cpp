#include "screens/patch/DMXSlotResolver.h"

#include "model/catalog/FixtureParameterCatalogStore.h"

namespace tarnik {

DMXSlotResolver::DMXSlotResolver(QObject *receiver, FixtureParameterCatalogStore &catalog,
                                 CatalogResourceLocator bundle, KeyedTaskExecutor &executor)
    : receiver_(receiver),
      catalog_(catalog),
      bundle_(std::move(bundle)),
      lookup_(receiver, executor) {}

// A run waiting for the catalog must not hear of it once the resolver is gone.
DMXSlotResolver::~DMXSlotResolver() { cancel(); }

void DMXSlotResolver::resolve(const FixtureParameterLookupID &identity, Publish publish) {
  cancel();
  if (identity.parameterNames.isEmpty()) return;
  identity_ = identity;
  publish_ = std::move(publish);
  catalog_.loadIfNeeded(bundle_);
  if (catalog_.state().kind != FixtureParameterCatalogStore::State::Kind::loading) {
    lookUpFrom(0);
    return;
  }
  // Looking up before the catalog is in would call every parameter unknown only to
  // correct it a moment later; the rows keep saying they are checking instead.
  catalogLoaded_ =
      QObject::connect(&catalog_, &FixtureParameterCatalogStore::stateChanged, receiver_, [this] {
        if (catalog_.state().kind == FixtureParameterCatalogStore::State::Kind::loading) return;
        QObject::disconnect(catalogLoaded_);
        lookUpFrom(0);
      });
}

void DMXSlotResolver::cancel() {
  QObject::disconnect(catalogLoaded_);
  lookup_.cancel();
  slotMaps_.clear();
  publish_ = nullptr;
}

void DMXSlotResolver::lookUpFrom(qsizetype partIndex) {
  // Parts are looked up one after another; a part while the catalog has no database simply
  // has no slot map.
  for (; partIndex < identity_.parts.size(); ++partIndex) {
    std::shared_ptr<const FixtureParameterCatalogDatabase> database = catalog_.database();
    if (!database) continue;
    const EosPatchPart &part = identity_.parts[partIndex];
    lookup_.start(
        std::move(database),
        [version = identity_.reportedFixtureLibraryVersion, manufacturer = part.manufacturer,
         model = part.model](const FixtureParameterCatalogDatabase &copy) {
          return copy.slotMap(version, manufacturer, model);
        },
        [this, partIndex](std::optional<FixtureParameterSlotMap> slotMap) {
          // Delivered only while this run is the current one.
          if (slotMap) slotMaps_.insert_or_assign(identity_.parts[partIndex].id(), *slotMap);
          lookUpFrom(partIndex + 1);
        });
    return;
  }
  finish();
}

void DMXSlotResolver::finish() {
  Result result;
  result.dmxByParameterName =
      resolveFixtureParameterDMX(identity_.parameterNames, identity_.parts, slotMaps_);
  if (catalogResolvedAnyParameter(result.dmxByParameterName) && catalog_.metadata())
    result.resolvedLibraryVersion = catalog_.metadata()->libraryVersion;
  const Publish publish = std::exchange(publish_, nullptr);
  slotMaps_.clear();
  if (publish) publish(result);
}

}  // namespace tarnik
