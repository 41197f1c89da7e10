#include "model/catalog/FixtureCatalogStore.h"

#include "foundation/TextRules.h"
#include "model/catalog/CatalogResourceLoading.h"
#include "model/catalog/FixtureCatalogDatabase.h"

namespace tarnik {

FixtureCatalogStore::FixtureCatalogStore(QObject *parent) : ObservableObject(parent) {}

void FixtureCatalogStore::loadIfNeeded(const CatalogResourceLocator &bundle) {
  if (state_.kind == State::Kind::loading || state_.kind == State::Kind::ready) return;
  publish(state_, State{State::Kind::loading, {}}, &FixtureCatalogStore::stateChanged);
  loadCatalogResource(
      this, bundle.url(resourceName, resourceExtension),
      FixtureCatalogError::resourceMissing().description(), &FixtureCatalogDatabase::load,
      [this](const auto &database, const QString &failure) { finish(database, failure); });
}

void FixtureCatalogStore::finish(const std::shared_ptr<const FixtureCatalogDatabase> &database,
                                 const QString &failure) {
  database_ = database;
  if (database) {
    publish(metadata_, database->metadata(), &FixtureCatalogStore::metadataChanged);
    publish(manufacturers_, database->manufacturers(), &FixtureCatalogStore::manufacturersChanged);
    publish(state_, State{State::Kind::ready, {}}, &FixtureCatalogStore::stateChanged);
  } else {
    publish(metadata_, std::nullopt, &FixtureCatalogStore::metadataChanged);
    publish(manufacturers_, QList<FixtureCatalogManufacturer>(),
            &FixtureCatalogStore::manufacturersChanged);
    publish(state_, State::failed(failure), &FixtureCatalogStore::stateChanged);
  }
}

bool FixtureCatalogStore::compareLibraryVersion(
    const std::optional<QString> &reportedVersion) const {
  if (!metadata_ || !reportedVersion) return false;
  return trimmedText(*reportedVersion) == metadata_->libraryVersion;
}

}  // namespace tarnik
