#include "screens/patch/FixtureModelsView.h"

#include "model/catalog/FixtureCatalogStore.h"
#include "screens/kit/NavigationStack.h"
#include "screens/patch/CatalogChoice.h"
#include "screens/patch/FixtureModesView.h"

namespace tarnik {

FixtureModelsView::FixtureModelsView(CatalogBrowserContext context,
                                     FixtureCatalogManufacturer manufacturer, QWidget *parent)
    : CatalogListPage(QStringLiteral("fixture.models"), QStringLiteral("Search models"), parent),
      context_(std::move(context)),
      manufacturer_(std::move(manufacturer)),
      lookup_(this, *context_.executor) {
  openPressedRows(models_, [this](const FixtureCatalogModel &model) { open(model); });
  loadFirstList();
}

void FixtureModelsView::load(const QString &query) {
  lookUp(
      lookup_, *context_.store,
      [manufacturer = manufacturer_.id, query](const FixtureCatalogDatabase &catalog) {
        return catalog.modelsOfManufacturer(manufacturer, query);
      },
      [this](QList<FixtureCatalogModel> models) { show(std::move(models)); });
}

void FixtureModelsView::show(QList<FixtureCatalogModel> models) {
  models_ = std::move(models);
  QList<CatalogRow> rows;
  rows.reserve(models_.size());
  for (const FixtureCatalogModel &model : models_) {
    rows.append({shownCatalogName(model.name),
                 QString::number(model.modeCount) + QStringLiteral(" modes"),
                 {},
                 QStringLiteral("fixture.catalog.model.") + QString::number(model.id)});
  }
  finishLookup(std::move(rows));
}

void FixtureModelsView::open(const FixtureCatalogModel &model) {
  // A fresh page each time: its query and list start over.
  context_.navigation->push(new FixtureModesView(context_, model), shownCatalogName(model.name));
}

}  // namespace tarnik
