#include "model/catalog/FixtureCatalogQueries.h"

#include "foundation/BackgroundWork.h"

namespace tarnik {

void searchModesInBackground(std::shared_ptr<const FixtureCatalogDatabase> database, QString query,
                             int limit, QObject *receiver,
                             std::function<void(const QList<FixtureCatalogMode> &)> done) {
  runInBackground(
      receiver, [database, query, limit] { return database->searchModes(query, limit); },
      std::move(done));
}

void modelsOfManufacturerInBackground(
    std::shared_ptr<const FixtureCatalogDatabase> database, int manufacturer, QString query,
    QObject *receiver, std::function<void(const QList<FixtureCatalogModel> &)> done) {
  runInBackground(
      receiver,
      [database, manufacturer, query] {
        return database->modelsOfManufacturer(manufacturer, query);
      },
      std::move(done));
}

void modesOfModelInBackground(std::shared_ptr<const FixtureCatalogDatabase> database, int model,
                              QString query, int limit, QObject *receiver,
                              std::function<void(const QList<FixtureCatalogMode> &)> done) {
  runInBackground(
      receiver,
      [database, model, query, limit] { return database->modesOfModel(model, query, limit); },
      std::move(done));
}

}  // namespace tarnik
