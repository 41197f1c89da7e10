#include "model/catalog/FixtureParameterCatalogStore.h"

#include "model/catalog/CatalogBackground.h"
#include "model/catalog/CatalogResourceFile.h"

namespace tarnik {
namespace {

struct LoadOutcome {
  std::shared_ptr<const FixtureParameterCatalogDatabase> database;
  QString failure;
};

LoadOutcome decodeFile(const QString &path) {
  const auto file = CatalogResourceFile::open(path);
  if (!file) return {nullptr, file.error()};
  auto database = FixtureParameterCatalogDatabase::load(file->bytes());
  if (!database) return {nullptr, database.error().description()};
  return {std::make_shared<const FixtureParameterCatalogDatabase>(std::move(*database)), {}};
}

}  // namespace

FixtureParameterCatalogStore::FixtureParameterCatalogStore(QObject *parent) : ObservableObject(parent) {}

void FixtureParameterCatalogStore::loadIfNeeded(const CatalogResourceLocator &bundle) {
  if (state_.kind == State::Kind::loading || state_.kind == State::Kind::ready) return;
  publish(state_, State{State::Kind::loading, {}}, &FixtureParameterCatalogStore::stateChanged);
  const std::optional<QString> path = bundle.url(resourceName, resourceExtension);
  if (!path) {
    finish(nullptr, FixtureParameterCatalogError::resourceMissing().description());
    return;
  }
  runCatalogWork(
      this, [path = *path] { return decodeFile(path); },
      [this](const LoadOutcome &outcome) { finish(outcome.database, outcome.failure); });
}

void FixtureParameterCatalogStore::finish(const std::shared_ptr<const FixtureParameterCatalogDatabase> &database,
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

void FixtureParameterCatalogStore::slotMap(std::shared_ptr<const FixtureParameterCatalogDatabase> database,
                                           std::optional<QString> reportedLibraryVersion, QString manufacturer,
                                           QString fixtureType, QObject *receiver,
                                           std::function<void(const std::optional<FixtureParameterSlotMap> &)> done) {
  runCatalogWork(
      receiver,
      [database, reportedLibraryVersion, manufacturer, fixtureType] {
        return database ? database->slotMap(reportedLibraryVersion, manufacturer, fixtureType) : std::nullopt;
      },
      std::move(done));
}

}  // namespace tarnik
