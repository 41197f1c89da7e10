#pragma once

#include "foundation/ObservableObject.h"
#include "model/catalog/CatalogLoadState.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "model/catalog/FixtureCatalogDatabase.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace tarnik {

// The installed fixture library for the whole application. Loads once, on the first
// screen that asks, decoding on the thread pool; publishes its state, the catalog's
// metadata and its manufacturers, and hands out the immutable database for queries.
class FixtureCatalogStore : public ObservableObject {
  Q_OBJECT

 public:
  using State = CatalogLoadState;

  static inline const QString resourceName = QStringLiteral("FixtureCatalog");
  static inline const QString resourceExtension = QStringLiteral("tfcat");

  explicit FixtureCatalogStore(QObject *parent = nullptr);

  const State &state() const { return state_; }
  const std::optional<FixtureCatalogMetadata> &metadata() const { return metadata_; }
  const QList<FixtureCatalogManufacturer> &manufacturers() const { return manufacturers_; }
  std::shared_ptr<const FixtureCatalogDatabase> database() const { return database_; }

  // Starts decoding unless a load is under way or done; the outcome arrives in state().
  void loadIfNeeded(const CatalogResourceLocator &bundle);

  // True when the console's reported version, trimmed, is the installed one exactly.
  bool compareLibraryVersion(const std::optional<QString> &reportedVersion) const;

 signals:
  void stateChanged();
  void metadataChanged();
  void manufacturersChanged();

 private:
  void finish(const std::shared_ptr<const FixtureCatalogDatabase> &database,
              const QString &failure);

  State state_;
  std::optional<FixtureCatalogMetadata> metadata_;
  QList<FixtureCatalogManufacturer> manufacturers_;
  std::shared_ptr<const FixtureCatalogDatabase> database_;
};

}  // namespace tarnik
