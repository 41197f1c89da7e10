#pragma once

#include "screens/kit/KeyedTask.h"
#include "screens/patch/CatalogBrowserContext.h"
#include "screens/patch/CatalogListPage.h"

namespace tarnik {

// The modes of one model, filtered by the page's own field; pressing a mode hands it to
// the browser's select action. Name "fixture.modes".
class FixtureModesView : public CatalogListPage {
  Q_OBJECT

 public:
  // A model with more modes than this lists its first ones.
  static constexpr int modeLimit = 2000;

  FixtureModesView(CatalogBrowserContext context, FixtureCatalogModel model,
                   QWidget *parent = nullptr);

  const QList<FixtureCatalogMode> &modes() const { return modes_; }

 protected:
  void load(const QString &query) override;

 private:
  void show(QList<FixtureCatalogMode> modes);

  const CatalogBrowserContext context_;
  const FixtureCatalogModel model_;
  QList<FixtureCatalogMode> modes_;
  KeyedTask<QList<FixtureCatalogMode>> lookup_;
};

}  // namespace tarnik
