#pragma once

#include "screens/kit/KeyedTask.h"
#include "screens/patch/CatalogBrowserContext.h"
#include "screens/patch/CatalogListPage.h"

namespace tarnik {

// The models of one manufacturer, filtered by the page's own field; a model row opens its
// modes on the browser's stack. Name "fixture.models"; model rows are named
// "fixture.catalog.model." + the model's id.
class FixtureModelsView : public CatalogListPage {
  Q_OBJECT

 public:
  FixtureModelsView(CatalogBrowserContext context, FixtureCatalogManufacturer manufacturer,
                    QWidget *parent = nullptr);

 protected:
  void load(const QString &query) override;

 private:
  void show(QList<FixtureCatalogModel> models);
  void open(const FixtureCatalogModel &model);

  const CatalogBrowserContext context_;
  const FixtureCatalogManufacturer manufacturer_;
  QList<FixtureCatalogModel> models_;
  KeyedTask<QList<FixtureCatalogModel>> lookup_;
};

}  // namespace tarnik
