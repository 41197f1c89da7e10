#pragma once

#include "model/catalog/FixtureCatalogRecords.h"
#include "screens/patch/CatalogRowListModel.h"

#include <QList>
#include <QString>

namespace tarnik {

// What one fixture mode's row shows, wherever a mode is listed: the mode (or the full type
// name when the mode has none) over "manufacturer · model", and its DMX footprint.
struct FixtureModeRow {
  QString title;
  QString subtitle;
  QString footprint;  // "16 addr", or "Unknown" over "footprint"

  static FixtureModeRow of(const FixtureCatalogMode &mode);
  // The accessibility name of a mode's row; the rows are drawn, so a list model carries it.
  static QString objectName(const FixtureCatalogMode &mode);
  // The list rows of modes, in their order.
  static QList<CatalogRow> rows(const QList<FixtureCatalogMode> &modes);
};

}  // namespace tarnik
