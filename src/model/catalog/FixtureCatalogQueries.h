#pragma once

#include "model/catalog/FixtureCatalogDatabase.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tarnik {

// The catalog browser's queries, run on the shared thread pool over the immutable database
// the store handed out; each result comes back on the GUI thread while `receiver` lives.

void searchModesInBackground(std::shared_ptr<const FixtureCatalogDatabase> database, QString query,
                             int limit, QObject *receiver,
                             std::function<void(const QList<FixtureCatalogMode> &)> done);

void modelsOfManufacturerInBackground(std::shared_ptr<const FixtureCatalogDatabase> database,
                                      int manufacturer, QString query, QObject *receiver,
                                      std::function<void(const QList<FixtureCatalogModel> &)> done);

void modesOfModelInBackground(std::shared_ptr<const FixtureCatalogDatabase> database, int model,
                              QString query, int limit, QObject *receiver,
                              std::function<void(const QList<FixtureCatalogMode> &)> done);

}  // namespace tarnik
