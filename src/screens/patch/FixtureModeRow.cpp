#include "screens/patch/FixtureModeRow.h"

#include "screens/patch/CatalogChoice.h"

namespace tarnik {

FixtureModeRow FixtureModeRow::of(const FixtureCatalogMode &mode) {
  const std::optional<int> footprint = modeFootprint(mode);
  return {
      shownCatalogName(mode.mode.isEmpty() ? mode.name : mode.mode),
      shownCatalogName(mode.manufacturer) + QStringLiteral(" · ") + shownCatalogName(mode.model),
      footprint ? QString::number(*footprint) + QStringLiteral(" addr")
                : QStringLiteral("Unknown\nfootprint"),
  };
}

QString FixtureModeRow::objectName(const FixtureCatalogMode &mode) {
  return QStringLiteral("fixture.catalog.mode.") + mode.id;
}

QList<CatalogRow> FixtureModeRow::rows(const QList<FixtureCatalogMode> &modes) {
  QList<CatalogRow> rows;
  rows.reserve(modes.size());
  for (const FixtureCatalogMode &mode : modes) {
    FixtureModeRow row = of(mode);
    rows.append({std::move(row.title), std::move(row.subtitle), std::move(row.footprint),
                 objectName(mode)});
  }
  return rows;
}

}  // namespace tarnik
