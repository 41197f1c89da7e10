#include "model/catalog/FixtureCatalogStore.h"

#include "foundation/TextRules.h"
#include "model/catalog/CatalogBackground.h"
#include "model/catalog/CatalogResourceFile.h"
#include "model/catalog/FixtureCatalogDecoder.h"

namespace tarnik {
namespace {

struct LoadOutcome {
  std::shared_ptr<const FixtureCatalogDatabase> database;
  QString failure;
};

LoadOutcome decodeFile(const QString &path) {
  const auto file = CatalogResourceFile::open(path);
  if (!file) return {nullptr, file.error()};
  auto database = FixtureCatalogDecoder::load(file->bytes());
  if (!database) return {nullptr, database.error().description()};
  return {std::make_shared<const FixtureCatalogDatabase>(std::move(*database)), {}};
}

}  // namespace

FixtureCatalogStore::FixtureCatalogStore(QObject *parent) : ObservableObject(parent) {}

void FixtureCatalogStore::load(const CatalogResourceLocator &bundle) {
  if (state_.kind == State::Kind::loading || state_.kind == State::Kind::ready) return;
  publish(state_, State{State::Kind::loading, {}}, &FixtureCatalogStore::stateChanged);
  const std::optional<QString> path = bundle.url(resourceName, resourceExtension);
  if (!path) {
    finish(nullptr, FixtureCatalogError::resourceMissing().description());
    return;
  }
  runCatalogWork(
      this, [path = *path] { return decodeFile(path); },
      [this](const LoadOutcome &outcome) { finish(outcome.database, outcome.failure); });
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
    publish(manufacturers_, QList<FixtureCatalogManufacturer>(), &FixtureCatalogStore::manufacturersChanged);
    publish(state_, State::failed(failure), &FixtureCatalogStore::stateChanged);
  }
}

bool FixtureCatalogStore::compareLibraryVersion(const std::optional<QString> &reportedVersion) const {
  if (!metadata_ || !reportedVersion) return false;
  return trimmedText(*reportedVersion) == metadata_->libraryVersion;
}

}  // namespace tarnik
