#include "screens/patch/FixtureModeRow.h"

#include "screens/patch/CatalogChoice.h"

#include <QStringBuilder>

namespace tarnik {

FixtureModeRow FixtureModeRow::of(const FixtureCatalogMode &mode) {
  const std::optional<int> footprint = modeFootprint(mode);
  return {
      shownCatalogName(mode.mode.isEmpty() ? mode.name : mode.mode),
      // Built in one piece: a search lists a hundred of these on every keystroke.
      shownCatalogName(mode.manufacturer) % u" · " % shownCatalogName(mode.model),
      footprint ? QString::number(*footprint) + QStringLiteral(" addr")
                : QStringLiteral("Unknown\nfootprint"),
  };
}

QString FixtureModeRow::objectName(const FixtureCatalogMode &mode) {
  return u"fixture.catalog.mode." % mode.id;
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
