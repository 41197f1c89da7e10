#include "screens/patch/FixtureModesView.h"

#include "model/catalog/FixtureCatalogStore.h"
#include "screens/patch/FixtureModeRow.h"

namespace tarnik {

FixtureModesView::FixtureModesView(CatalogBrowserContext context, FixtureCatalogModel model,
                                   QWidget *parent)
    : CatalogListPage(QStringLiteral("fixture.modes"), QStringLiteral("Search modes"), parent),
      context_(std::move(context)),
      model_(std::move(model)),
      lookup_(this, *context_.executor) {
  openPressedRows(modes_, [this](const FixtureCatalogMode &mode) { context_.select(mode); });
  loadFirstList();
}

void FixtureModesView::load(const QString &query) {
  lookUp(
      lookup_, *context_.store,
      [model = model_.id, query](const FixtureCatalogDatabase &catalog) {
        return catalog.modesOfModel(model, query, modeLimit);
      },
      [this](QList<FixtureCatalogMode> modes) { show(std::move(modes)); });
}

void FixtureModesView::show(QList<FixtureCatalogMode> modes) {
  modes_ = std::move(modes);
  finishLookup(FixtureModeRow::rows(modes_));
}

}  // namespace tarnik
