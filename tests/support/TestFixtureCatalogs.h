#pragma once

// What every test's fixture catalog starts from: ids that read as their number, and the
// fixture library the catalog names as its source. Header only, for the test programs that
// write catalogs with the catalog builder's writer (tarnik_catalog_writer).

#include "CatalogDescriptions.h"

#include <QUuid>

namespace tarnik::catalogtest {

// 00000000-0000-0000-0000-<n as 12 hexadecimal digits>
inline QUuid numberedId(quint64 n) {
  return QUuid::fromString(
      QStringLiteral("00000000-0000-0000-0000-%1").arg(n, 12, 16, QLatin1Char('0')));
}

// No manufacturers, models or modes yet; library 3.2.1.75 of 2024-05-01, read from
// "library.xml" (1,234 bytes).
inline FixtureCatalogDescription emptyFixtureCatalog() {
  FixtureCatalogDescription catalog;
  catalog.libraryVersion = "3.2.1.75";
  catalog.libraryDate = "2024-05-01";
  catalog.sourceFile = "library.xml";
  catalog.sourceSHA256 = QByteArray(64, 'a');
  catalog.sourceBytes = 1234;
  return catalog;
}

}  // namespace tarnik::catalogtest
