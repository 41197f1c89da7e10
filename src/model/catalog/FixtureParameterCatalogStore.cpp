#include "model/catalog/FixtureParameterCatalogStore.h"

#include "foundation/BackgroundWork.h"
#include "model/catalog/CatalogResourceLoading.h"

namespace tarnik {

FixtureParameterCatalogStore::FixtureParameterCatalogStore(QObject *parent)
    : ObservableObject(parent) {}

void FixtureParameterCatalogStore::loadIfNeeded(const CatalogResourceLocator &bundle) {
  if (state_.kind == State::Kind::loading || state_.kind == State::Kind::ready) return;
  publish(state_, State{State::Kind::loading, {}}, &FixtureParameterCatalogStore::stateChanged);
  loadCatalogResource(
      this, bundle.url(resourceName, resourceExtension),
      FixtureParameterCatalogError::resourceMissing().description(),
      &FixtureParameterCatalogDatabase::load,
      [this](const auto &database, const QString &failure) { finish(database, failure); });
}

void FixtureParameterCatalogStore::finish(
    const std::shared_ptr<const FixtureParameterCatalogDatabase> &database,
    const QString &failure) {
  database_ = database;
  if (database) {
    publish(metadata_, database->metadata(), &FixtureParameterCatalogStore::metadataChanged);
    publish(state_, State{State::Kind::ready, {}}, &FixtureParameterCatalogStore::stateChanged);
  } else {
    publish(metadata_, std::nullopt, &FixtureParameterCatalogStore::metadataChanged);
    publish(state_, State::failed(failure), &FixtureParameterCatalogStore::stateChanged);
  }
}

void FixtureParameterCatalogStore::slotMap(
    std::shared_ptr<const FixtureParameterCatalogDatabase> database,
    std::optional<QString> reportedLibraryVersion, QString manufacturer, QString fixtureType,
    QObject *receiver, std::function<void(const std::optional<FixtureParameterSlotMap> &)> done) {
  runInBackground(
      receiver,
      [database, reportedLibraryVersion, manufacturer, fixtureType] {
        return database ? database->slotMap(reportedLibraryVersion, manufacturer, fixtureType)
                        : std::nullopt;
      },
      std::move(done));
}

}  // namespace tarnik
