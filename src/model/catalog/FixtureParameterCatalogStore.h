#pragma once

#include "foundation/ObservableObject.h"
#include "model/catalog/CatalogLoadState.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The fixture parameter catalog for the whole application: decoded once, on the thread
// pool, when a channel screen first needs slot maps; never unloaded.
class FixtureParameterCatalogStore : public ObservableObject {
  Q_OBJECT

 public:
  using State = CatalogLoadState;

  static inline const QString resourceName = QStringLiteral("FixtureParameterCatalog");
  static inline const QString resourceExtension = QStringLiteral("tfpc");

  explicit FixtureParameterCatalogStore(QObject *parent = nullptr);

  const State &state() const { return state_; }
  const std::optional<FixtureParameterCatalogMetadata> &metadata() const { return metadata_; }
  std::shared_ptr<const FixtureParameterCatalogDatabase> database() const { return database_; }

  // Starts decoding from idle or after a failure; a load under way or done is not repeated.
  void loadIfNeeded(const CatalogResourceLocator &bundle);

  // Looks a slot map up on the thread pool over the given database and hands it back on
  // the GUI thread while `receiver` lives.
  static void slotMap(std::shared_ptr<const FixtureParameterCatalogDatabase> database,
                      std::optional<QString> reportedLibraryVersion, QString manufacturer,
                      QString fixtureType, QObject *receiver,
                      std::function<void(const std::optional<FixtureParameterSlotMap> &)> done);

 signals:
  void stateChanged();
  void metadataChanged();

 private:
  void finish(const std::shared_ptr<const FixtureParameterCatalogDatabase> &database,
              const QString &failure);

  State state_;
  std::optional<FixtureParameterCatalogMetadata> metadata_;
  std::shared_ptr<const FixtureParameterCatalogDatabase> database_;
};

}  // namespace tarnik
