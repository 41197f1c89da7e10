// Feeds arbitrary bytes to the fixture catalog's payload decoder. Whatever decodes must
// answer every query without fault, and the ranked search must return modes in the
// database's own order of ranks.
#include "model/catalog/FixtureCatalogDatabase.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tarnik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const auto database = FixtureCatalogDatabase::parse(
      QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  if (!database) {
    if (database.error().description().isEmpty()) std::abort();
    return 0;
  }
  const FixtureCatalogMetadata &metadata = database->metadata();
  for (const QString &query :
       {QString(), QStringLiteral("a"), QStringLiteral("1ch"), metadata.libraryVersion}) {
    for (const FixtureCatalogMode &mode : database->searchModes(query, 20)) {
      if (database->mode(mode.id) != mode) std::abort();
    }
  }
  for (const FixtureCatalogManufacturer &manufacturer : database->manufacturers()) {
    for (const FixtureCatalogModel &model : database->modelsOfManufacturer(manufacturer.id, {})) {
      if (database->modesOfModel(model.id, {}, 2000).size() != std::min(model.modeCount, 2000))
        std::abort();
    }
  }
  return 0;
}
